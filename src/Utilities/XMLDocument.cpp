// XMLDocument: parsing with libxml2 and the document-wide namespace bindings used by XPath.
#include "Utilities/XMLDocument.h"

#include "Foundation/Localization.h"
#include "Foundation/Strings.h"

#include <climits>
#include <libxml/SAX2.h>
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

// The first declaration of each prefix, in document order, noted as the parser builds each element: a
// second walk over the whole tree afterwards costs about a tenth of the parse of a long feed.
struct NamespaceCollector {
    std::vector<xmlNsPtr> found;
    std::unordered_set<std::string_view> prefixes;
};

thread_local NamespaceCollector* collector = nullptr;

void startElementNs(void* context, const xmlChar* localname, const xmlChar* prefix, const xmlChar* URI,
                    int nb_namespaces, const xmlChar** namespaces, int nb_attributes, int nb_defaulted,
                    const xmlChar** attributes) {
    xmlSAX2StartElementNs(context, localname, prefix, URI, nb_namespaces, namespaces, nb_attributes, nb_defaulted,
                          attributes);
    auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
    if (nb_namespaces == 0 || !collector || !ctxt->node) return;
    for (xmlNsPtr ns = ctxt->node->nsDef; ns; ns = ns->next)
        if (ns->prefix && collector->prefixes.insert(reinterpret_cast<const char*>(ns->prefix)).second)
            collector->found.push_back(ns);
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
    // The context has its own copy of the SAX handlers; only this parse is hooked.
    ctxt->sax->startElementNs = startElementNs;
    NamespaceCollector namespaces;
    collector = &namespaces;
    // NOERROR/NOWARNING only silence libxml2's own printing; the error still lands in the context. COMPACT
    // keeps short texts inside their nodes (fewer allocations); the tree is never modified afterwards. Names
    // stay in the document's dictionary (no NODICT): XMLNode compares them by address. NOBLANKS drops the
    // indentation between elements (libxml2 keeps whitespace that is an element's only content or sits
    // beside text): it is a third of a feed's nodes, and every path walk and the parse itself pay for it.
    xmlDocPtr doc = xmlCtxtReadMemory(
        ctxt, data.data(), static_cast<int>(data.size()), nullptr, nullptr,
        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT | XML_PARSE_NOBLANKS);
    collector = nullptr;
    if (!doc || !ctxt->wellFormed) {
        if (error) *error = parseError(xmlCtxtGetLastError(ctxt));
        if (doc) xmlFreeDoc(doc);
        xmlFreeParserCtxt(ctxt);
        return nullptr;
    }
    xmlFreeParserCtxt(ctxt);
    return std::make_shared<const XMLDocument>(Token{}, doc, std::move(namespaces.found));
}

XMLDocument::XMLDocument(Token, _xmlDoc* doc, std::vector<_xmlNs*> namespaces)
    : doc_(doc), namespaces_(std::move(namespaces)) {
    static std::atomic<std::uint64_t> lastSerial{0};
    serial_ = ++lastSerial;
}

XMLDocument::~XMLDocument() { xmlFreeDoc(doc_); }

void XMLDocument::prepareForEvaluator() const {
    // Numbers the elements so that the evaluator sorts node sets cheaply. Plain paths never need it, and
    // it writes into every element, so it is done once, before the first evaluation.
    std::call_once(ordered_, [this] { xmlXPathOrderDocElems(doc_); });
}

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
