// Indented XML output with escaping.
#include "movra-backend/XmlWriter.h"

#include "Foundation/Strings.h"

namespace movra::backend {

XmlWriter::XmlWriter() : text_("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") {}

void XmlWriter::startTag(std::string_view name, const Attributes& attributes) {
    text_ += '\n';
    text_.append(open_.size() * 2, ' ');
    text_ += '<';
    text_ += name;
    for (const auto& [key, value] : attributes) text_ += " " + key + "=\"" + xmlEscape(value) + "\"";
}

XmlWriter& XmlWriter::open(std::string_view name, const Attributes& attributes) {
    startTag(name, attributes);
    text_ += '>';
    open_.emplace_back(name);
    return *this;
}

XmlWriter& XmlWriter::close() {
    if (open_.empty()) return *this;
    const std::string name = std::move(open_.back());
    open_.pop_back();
    text_ += '\n';
    text_.append(open_.size() * 2, ' ');
    text_ += "</" + name + ">";
    return *this;
}

XmlWriter& XmlWriter::element(std::string_view name, std::string_view text, const Attributes& attributes) {
    startTag(name, attributes);
    if (text.empty()) {
        text_ += "/>";
    } else {
        text_ += ">" + xmlEscape(text) + "</";
        text_ += name;
        text_ += '>';
    }
    return *this;
}

XmlWriter& XmlWriter::optionalElement(std::string_view name, std::string_view text) {
    return text.empty() ? *this : element(name, text);
}

std::string XmlWriter::finish() {
    while (!open_.empty()) close();
    text_ += '\n';
    return std::move(text_);
}

}  // namespace movra::backend
