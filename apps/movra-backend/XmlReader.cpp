// Parsing request bodies with libxml2, with the options the client uses for what it reads.
#include "movra-backend/XmlReader.h"

#include "Foundation/Strings.h"

#include <climits>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <mutex>

namespace movra::backend {

std::unique_ptr<const XmlReader> XmlReader::parse(std::string_view body, std::string* problem) {
    static std::once_flag initOnce;
    std::call_once(initOnce, [] { xmlInitParser(); });

    if (body.size() > INT_MAX) {
        *problem = "the document is too large";
        return nullptr;
    }
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) {
        *problem = "no memory for the parser";
        return nullptr;
    }
    // Without XML_PARSE_NOENT and XML_PARSE_DTDLOAD, entity references stay references and external ones are
    // never loaded. Otherwise the client's own options, NOBLANKS included, so that texts read the same on both
    // sides of the wire.
    xmlDocPtr doc = xmlCtxtReadMemory(
        ctxt, body.data(), static_cast<int>(body.size()), nullptr, nullptr,
        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT | XML_PARSE_NOBLANKS);
    if (!doc || !ctxt->wellFormed) {
        const xmlError* error = xmlCtxtGetLastError(ctxt);
        *problem = error && error->message ? trim(error->message) : "the document is not well-formed";
        if (error && error->line > 0) *problem += " (line " + std::to_string(error->line) + ")";
        if (doc) xmlFreeDoc(doc);
        xmlFreeParserCtxt(ctxt);
        return nullptr;
    }
    xmlFreeParserCtxt(ctxt);
    return std::unique_ptr<const XmlReader>(new XmlReader(doc));
}

XmlReader::~XmlReader() { xmlFreeDoc(doc_); }

XmlElement XmlReader::root() const { return XmlElement(xmlDocGetRootElement(doc_)); }

}  // namespace movra::backend
