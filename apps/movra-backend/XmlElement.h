// XmlElement: a handle on one element of a body an XmlReader parsed. It does not keep the document
// alive: use it only while its reader exists. A default-constructed handle is the null element.
//
// Thread contract: elements of one document may be read from several threads at once.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _xmlNode;

namespace movra::backend {

class XmlElement {
  public:
    XmlElement() = default;
    explicit XmlElement(const _xmlNode* node) : node_(node) {}

    explicit operator bool() const { return node_ != nullptr; }
    /// Qualified name as written ("stravo:itemType"); empty for the null element.
    std::string name() const;
    /// The text of every descendant, in document order.
    std::string text() const;
    /// The attribute of that qualified name as written.
    std::optional<std::string> attribute(std::string_view name) const;
    std::vector<XmlElement> children() const;
    /// First child element with that qualified name, or the null element.
    XmlElement firstChild(std::string_view name) const;

  private:
    const _xmlNode* node_ = nullptr;
};

}  // namespace movra::backend
