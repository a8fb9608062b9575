// XMLDocument: a parsed XML document (libxml2 tree) shared by every XMLNode handle that points into it.
//
// Thread contract: a document is immutable once parse() returns; it and its nodes may be read from
// several threads at once.
#pragma once

#include "Foundation/Error.h"
#include "Utilities/XMLNode.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNs;

namespace movra {

class XMLDocument : public std::enable_shared_from_this<XMLDocument> {
    struct Token {};

  public:
    /// Parses with the default options (no network access, no entity substitution, libxml2's safe size
    /// and depth limits). nullptr, and *error set (domain kXMLErrorDomain), when the data is not well-formed.
    static std::shared_ptr<const XMLDocument> parse(std::string_view data, ErrorPtr* error = nullptr);

    XMLDocument(Token, _xmlDoc* doc, std::vector<_xmlNs*> namespaces);
    ~XMLDocument();
    XMLDocument(const XMLDocument&) = delete;
    XMLDocument& operator=(const XMLDocument&) = delete;

    /// The document itself as a node: the XPath context "/".
    XMLNode documentNode() const;
    /// The root element, or a null node when the document has none.
    XMLNode rootElement() const;
    /// The serialised document.
    std::string xmlString() const;

  private:
    friend class XMLNode;
    /// Readies the tree for libxml2's XPath evaluator; safe to call from several threads.
    void prepareForEvaluator() const;

    _xmlDoc* doc_;
    /// Every xmlns:prefix declaration of the document, the first one of each prefix: the bindings of the
    /// prefixes in XPath expressions.
    std::vector<_xmlNs*> namespaces_;
    /// Unique among the documents of the process (never 0): what XMLNode's per-thread path bindings are
    /// keyed by, since a freed document's address may be reused.
    std::uint64_t serial_;
    mutable std::once_flag ordered_;
};

using XMLDocumentPtr = std::shared_ptr<const XMLDocument>;

}  // namespace movra
