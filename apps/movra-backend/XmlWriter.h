// XmlWriter: builds the emulator's XML answers (feeds, result documents) as indented text, escaping
// every text and attribute value it is given.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movra::backend {

class XmlWriter {
  public:
    using Attributes = std::vector<std::pair<std::string, std::string>>;

    /// Starts the document with its XML declaration.
    XmlWriter();

    XmlWriter& open(std::string_view name, const Attributes& attributes = {});
    /// Closes the innermost open element.
    XmlWriter& close();
    /// <name attributes>text</name>; <name attributes/> when the text is empty.
    XmlWriter& element(std::string_view name, std::string_view text, const Attributes& attributes = {});
    /// element() only when `text` is not empty.
    XmlWriter& optionalElement(std::string_view name, std::string_view text);

    /// Closes every open element and returns the document.
    std::string finish();

  private:
    void startTag(std::string_view name, const Attributes& attributes);

    std::string text_;
    std::vector<std::string> open_;
};

}  // namespace movra::backend
