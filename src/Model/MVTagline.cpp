// MVTagline: the mapping of a "stravo:tagline" element, its anchor and its colour.
#include "Model/MVTagline.h"

#include "Foundation/Strings.h"

#include <charconv>
#include <map>

namespace movra {

namespace {

MVTaglinePosition positionFromText(const std::string& text) {
    static const std::map<std::string, MVTaglinePosition> positions{
        {"upper left", MVTaglinePositionUpperLeft},       {"middle left", MVTaglinePositionMiddleLeft},
        {"lower left", MVTaglinePositionLowerLeft},       {"upper center", MVTaglinePositionUpperCenter},
        {"middle center", MVTaglinePositionMiddleCenter}, {"lower center", MVTaglinePositionLowerCenter},
        {"upper right", MVTaglinePositionUpperRight},     {"middle right", MVTaglinePositionMiddleRight},
        {"lower right", MVTaglinePositionLowerRight},
    };
    auto it = positions.find(toLower(text));
    return it == positions.end() ? MVTaglinePositionLowerCenter : it->second;
}

}  // namespace

const XMLModelClass& MVTagline::modelClass() {
    static const XMLModelClass cls{
        .name = "MVTagline",
        .XPathPrefix = "self::stravo:tagline/",
        .XMLKeyPathsByPropertyKey =
            {{"position", "position"}, {"color", "color"}, {"line1", "line1"}, {"line2", "line2"}, {"line3", "line3"}},
        .propertyTransformers = {{"position", [](const std::vector<XMLNode>& nodes) -> std::optional<Json> {
                                      if (nodes.empty()) return std::nullopt;
                                      return static_cast<std::int32_t>(positionFromText(nodes.front().stringValue()));
                                  }}}};
    return cls;
}

MVTaglinePosition MVTagline::position() const {
    auto value = integer("position");
    return value ? static_cast<MVTaglinePosition>(*value) : MVTaglinePositionLowerCenter;
}

MVTagline::Color MVTagline::textColor() const {
    // color() answers a temporary: keep the text alive while the view reads it.
    const std::string text = color().value_or("");
    std::string_view hex = text;
    if (!hex.empty() && hex.front() == '#') hex.remove_prefix(1);
    // Leading hexadecimal digits count, as a scanner reads them; none at all is no colour.
    std::uint32_t rgb = 0;
    if (std::from_chars(hex.data(), hex.data() + hex.size(), rgb, 16).ec != std::errc()) return {};
    return {.red = ((rgb >> 16) & 0xff) / 255.0, .green = ((rgb >> 8) & 0xff) / 255.0, .blue = (rgb & 0xff) / 255.0};
}

}  // namespace movra
