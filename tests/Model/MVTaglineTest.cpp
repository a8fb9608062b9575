// Taglines read from "stravo:tagline" elements: anchor and colour.
#include "Model/MVTagline.h"
#include "Utilities/MVXMLDictonarySerializer.h"
#include "Utilities/XMLDocument.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

MVTagline tagline(const std::string& children) {
    auto document = XMLDocument::parse(R"(<stravo:tagline xmlns:stravo="urn:s">)" + children + "</stravo:tagline>");
    auto dictionary = MVXMLDictonarySerializer::dictionaryFromNode(document->rootElement(), MVTagline::modelClass());
    EXPECT_TRUE(dictionary) << children;
    return MVTagline(dictionary.value_or(Json::object()));
}

TEST(MVTaglineTest, PositionTextsAnchorTheLines) {
    test::TestPlatform platform;
    const std::tuple<std::string, int, int> cases[] = {
        {"<position>Upper Right</position>", 0, 2},
        {"<position>upper left</position>", 0, 0},
        {"<position>MIDDLE CENTER</position>", 1, 1},
        {"<position>middle right</position>", 1, 2},
        {"<position>Lower Left</position>", 2, 0},
        {"<position>lower center</position>", 2, 1},
        {"<position>top</position>", 2, 1},
        {"<position/>", 2, 1},
        {"<line1>Nytt</line1>", 2, 1},
    };
    for (const auto& [children, vertical, horizontal] : cases) {
        const auto line = tagline(children);
        EXPECT_EQ(line.verticalPosition(), vertical) << children;
        EXPECT_EQ(line.horizontalPosition(), horizontal) << children;
    }
}

TEST(MVTaglineTest, ColourIsHexadecimalRGB) {
    test::TestPlatform platform;
    using C = MVTagline::Color;
    const std::pair<std::string, C> cases[] = {
        {"<color>#FF8800</color>", {1, 0x88 / 255.0, 0, 1}},
        {"<color>00ff00</color>", {0, 1, 0, 1}},
        {"<color>#12</color>", {0, 0, 0x12 / 255.0, 1}},
        {"<color>0000FFzz</color>", {0, 0, 1, 1}},
        {"<color>white</color>", {0, 0, 0, 1}},
        {"<color>#</color>", {0, 0, 0, 1}},
        {"<color/>", {0, 0, 0, 1}},
        {"", {0, 0, 0, 1}},
    };
    for (const auto& [children, color] : cases) EXPECT_EQ(tagline(children).textColor(), color) << children;
}

}  // namespace
}  // namespace movra
