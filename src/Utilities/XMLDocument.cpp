// XMLDocument: parsing with libxml2 and the document-wide namespace bindings used by XPath.
#include "Utilities/XMLDocument.h"

#include "Foundation/Localization.h"
#include "Foundation/Strings.h"

#include <climits>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <atomic>
#include <mutex>
#include <unordered_set>

namespace movra {

namespace {

ErrorPtr parseError(const xmlError* e) {
    std::string reason = e && e->message ? trim(reinterpret_cast<const char*>(e->message)) : std::string();
    if (e && e->line > 0) reason += " (line " + std::to_string(e->line) + ")";
    return makeError(kXMLErrorDomain, e ? e->code : XML_ERR_INTERNAL_ERROR,
                     MVLocalizedString("The XML document is not well-formed."), reason);
}

// Walks the whole tree without recursion: documents may nest as deep as the parser allows.
std::vector<xmlNsPtr> collectNamespaces(xmlDocPtr doc) {
    std::vector<xmlNsPtr> found;
    std::unordered_set<std::string_view> prefixes;
    for (xmlNodePtr node = xmlDocGetRootElement(doc); node;) {
        if (node->type == XML_ELEMENT_NODE)
            for (xmlNsPtr ns = node->nsDef; ns; ns = ns->next)
                if (ns->prefix && prefixes.insert(reinterpret_cast<const char*>(ns->prefix)).second)
                    found.push_back(ns);
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node && !node->next) {
            node = node->parent;
            if (node && node->type != XML_ELEMENT_NODE) node = nullptr;
        }
        if (node) node = node->next;
    }
    return found;
}

}  // namespace

std::shared_ptr<const XMLDocument> XMLDocument::parse(std::string_view data, ErrorPtr* error) {
    static std::once_flag initOnce;
    std::call_once(initOnce, [] { xmlInitParser(); });

    if (data.size() > INT_MAX) {
        if (error)
            *error = makeError(kXMLErrorDomain, XML_ERR_INTERNAL_ERROR,
                               MVLocalizedString("The XML document is not well-formed."));
        return nullptr;
    }
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) {
        if (error) *error = parseError(nullptr);
        return nullptr;
    }
    // NOERROR/NOWARNING only silence libxml2's own printing; the error still lands in the context. COMPACT
    // keeps short texts inside their nodes (fewer allocations); the tree is never modified afterwards. Names
    // stay in the document's dictionary (no NODICT): XMLNode compares them by address. NOBLANKS drops the
    // indentation between elements (libxml2 keeps whitespace that is an element's only content or sits
    // beside text): it is a third of a feed's nodes, and every path walk and the parse itself pay for it.
    xmlDocPtr doc = xmlCtxtReadMemory(
        ctxt, data.data(), static_cast<int>(data.size()), nullptr, nullptr,
        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT | XML_PARSE_NOBLANKS);
    if (!doc || !ctxt->wellFormed) {
        if (error) *error = parseError(xmlCtxtGetLastError(ctxt));
        if (doc) xmlFreeDoc(doc);
        xmlFreeParserCtxt(ctxt);
        return nullptr;
    }
    xmlFreeParserCtxt(ctxt);
    // Numbers the elements once so that XPath sorts node sets cheaply; the tree is read-only afterwards.
    xmlXPathOrderDocElems(doc);
    return std::make_shared<const XMLDocument>(Token{}, doc);
}

XMLDocument::XMLDocument(Token, _xmlDoc* doc) : doc_(doc), namespaces_(collectNamespaces(doc)) {
    static std::atomic<std::uint64_t> lastSerial{0};
    serial_ = ++lastSerial;
}

XMLDocument::~XMLDocument() { xmlFreeDoc(doc_); }

XMLNode XMLDocument::documentNode() const { return XMLNode(shared_from_this(), reinterpret_cast<xmlNodePtr>(doc_)); }

XMLNode XMLDocument::rootElement() const {
    xmlNodePtr root = xmlDocGetRootElement(doc_);
    return root ? XMLNode(shared_from_this(), root) : XMLNode();
}

std::string XMLDocument::xmlString() const {
    xmlChar* buffer = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc_, &buffer, &size);
    std::string out(reinterpret_cast<const char*>(buffer), buffer ? static_cast<std::size_t>(size) : 0);
    xmlFree(buffer);
    return out;
}

}  // namespace movra
