// XMLNode: a cheap handle on one node of an XMLDocument (element, attribute, text or the document
// itself); it keeps its document alive. A default-constructed handle is the null node.
//
// XPath: prefixes in expressions resolve through the document's own xmlns declarations, so
// "stravo:itemType" works whatever URI the feed binds to "stravo". Compiled expressions are cached per
// thread.
//
// Thread contract: nodes may be read from any thread, concurrently.
#pragma once

#include "Foundation/Error.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _xmlNode;

namespace movra {

class XMLDocument;

/// Errors of parsing and XPath; codes are libxml2's error numbers.
inline constexpr const char* kXMLErrorDomain = "MVXMLErrorDomain";
/// An XPath expression uses a prefix the document does not declare.
inline constexpr std::int64_t kXMLErrorUndefinedNamespacePrefix = 1219;

class XMLNode {
  public:
    XMLNode() = default;
    XMLNode(std::shared_ptr<const XMLDocument> document, _xmlNode* node);

    explicit operator bool() const { return node_ != nullptr; }
    bool isElement() const;
    /// Qualified name as written ("stravo:itemType"); empty for the document and the null node.
    std::string name() const;
    /// Full string value: the text of every descendant, in document order.
    std::string stringValue() const;
    /// The attribute of that qualified name as written ("url", "media:status"), elements only.
    std::optional<std::string> attribute(std::string_view name) const;
    std::vector<XMLNode> childElements() const;
    /// First child element with that qualified name, or the null node.
    XMLNode firstChildElement(std::string_view qualifiedName) const;
    /// The nodes an XPath expression selects with this node as context, in document order (empty when
    /// the result is not a node set); nullopt and *error when the expression is invalid or fails.
    std::optional<std::vector<XMLNode>> nodesForXPath(std::string_view xpath, ErrorPtr* error = nullptr) const;
    /// The node serialised as XML.
    std::string xmlString() const;
    std::shared_ptr<const XMLDocument> document() const { return document_; }
    /// The same node, kept alive through `owner`, a handle on this node's document. Threads reading one
    /// document through handles of their own do not contend for its reference count.
    XMLNode withOwner(std::shared_ptr<const XMLDocument> owner) const { return XMLNode(std::move(owner), node_); }

    bool operator==(const XMLNode& other) const { return node_ == other.node_; }

  private:
    std::shared_ptr<const XMLDocument> document_;
    _xmlNode* node_ = nullptr;
};

}  // namespace movra
