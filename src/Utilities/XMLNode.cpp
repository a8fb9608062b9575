// XMLNode: node access and XPath evaluation over libxml2.
#include "Utilities/XMLNode.h"

#include "Foundation/Localization.h"
#include "Utilities/XMLDocument.h"

#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <unordered_map>

namespace movra {

static_assert(kXMLErrorUndefinedNamespacePrefix == XML_XPATH_UNDEF_PREFIX_ERROR);

namespace {

std::string toString(const xmlChar* s) { return s ? std::string(reinterpret_cast<const char*>(s)) : std::string(); }

std::string ownedString(xmlChar* s) {
    std::string out = toString(s);
    xmlFree(s);
    return out;
}

std::string qualifiedName(const xmlChar* name, const xmlNs* ns) {
    std::string out;
    if (ns && ns->prefix) out = toString(ns->prefix) + ":";
    return out + toString(name);
}

void ignoreError(void*, xmlErrorPtr) {}

// One XPath context and one cache of compiled expressions per thread. libxml2 writes into a compiled
// expression while evaluating it (function lookups are memoised in its steps), so compiled expressions are
// not shared between threads; per-thread caches also need no lock.
class ThreadXPath {
  public:
    ThreadXPath() : context_(xmlXPathNewContext(nullptr)) {
        if (context_) context_->error = ignoreError;
    }
    ~ThreadXPath() {
        for (auto& [text, compiled] : compiled_) xmlXPathFreeCompExpr(compiled);
        xmlXPathFreeContext(context_);
    }

    xmlXPathObjectPtr evaluate(std::string_view xpath, xmlDocPtr doc, xmlNodePtr node,
                               const std::vector<xmlNsPtr>& namespaces, ErrorPtr* error) {
        if (!context_) return fail(nullptr, error);
        reset();
        xmlXPathCompExprPtr compiled = compile(std::string(xpath));
        if (!compiled) return fail(&context_->lastError, error);
        context_->doc = doc;
        context_->node = node;
        // The document's own declarations; libxml2 reads this array and never frees it.
        context_->namespaces = const_cast<xmlNsPtr*>(namespaces.data());
        context_->nsNr = static_cast<int>(namespaces.size());
        xmlXPathObjectPtr result = xmlXPathCompiledEval(compiled, context_);
        context_->doc = nullptr;
        context_->node = nullptr;
        context_->namespaces = nullptr;
        context_->nsNr = 0;
        if (!result) return fail(&context_->lastError, error);
        return result;
    }

  private:
    // Enough for every key path of every record class; a caller building expressions from data must not
    // make the cache grow without bound.
    static constexpr std::size_t kMaxCompiled = 1024;

    void reset() {
        xmlResetError(&context_->lastError);
        context_->depth = 0;
        context_->contextSize = -1;
        context_->proximityPosition = -1;
    }

    xmlXPathCompExprPtr compile(const std::string& xpath) {
        if (auto it = compiled_.find(xpath); it != compiled_.end()) return it->second;
        // Compiled without namespace bindings: prefixes are resolved at evaluation time, per document.
        xmlXPathCompExprPtr compiled = xmlXPathCtxtCompile(context_, reinterpret_cast<const xmlChar*>(xpath.c_str()));
        if (!compiled) return nullptr;
        if (compiled_.size() >= kMaxCompiled) {
            for (auto& [text, c] : compiled_) xmlXPathFreeCompExpr(c);
            compiled_.clear();
        }
        compiled_.emplace(xpath, compiled);
        return compiled;
    }

    static xmlXPathObjectPtr fail(const xmlError* e, ErrorPtr* error) {
        if (error) {
            std::string message = e && e->message ? toString(reinterpret_cast<const xmlChar*>(e->message)) : "";
            while (!message.empty() && message.back() == '\n') message.pop_back();
            *error = makeError(kXMLErrorDomain, e && e->code ? e->code : XML_XPATH_EXPR_ERROR,
                               MVLocalizedString("The XPath expression could not be evaluated."), message);
        }
        return nullptr;
    }

    xmlXPathContextPtr context_;
    std::unordered_map<std::string, xmlXPathCompExprPtr> compiled_;
};

ThreadXPath& threadXPath() {
    thread_local ThreadXPath instance;
    return instance;
}

}  // namespace

XMLNode::XMLNode(std::shared_ptr<const XMLDocument> document, _xmlNode* node)
    : document_(std::move(document)), node_(node) {}

bool XMLNode::isElement() const { return node_ && node_->type == XML_ELEMENT_NODE; }

std::string XMLNode::name() const {
    if (!node_) return {};
    switch (node_->type) {
        case XML_ELEMENT_NODE:
            return qualifiedName(node_->name, node_->ns);
        case XML_ATTRIBUTE_NODE:
            return qualifiedName(node_->name, reinterpret_cast<xmlAttrPtr>(node_)->ns);
        case XML_DOCUMENT_NODE:
        case XML_HTML_DOCUMENT_NODE:
            return {};
        default:
            return toString(node_->name);
    }
}

std::string XMLNode::stringValue() const { return node_ ? ownedString(xmlNodeGetContent(node_)) : std::string(); }

std::optional<std::string> XMLNode::attribute(std::string_view name) const {
    if (!isElement()) return std::nullopt;
    for (xmlAttrPtr attr = node_->properties; attr; attr = attr->next)
        if (qualifiedName(attr->name, attr->ns) == name)
            return ownedString(xmlNodeListGetString(node_->doc, attr->children, 1));
    return std::nullopt;
}

std::vector<XMLNode> XMLNode::childElements() const {
    std::vector<XMLNode> children;
    if (!node_) return children;
    for (xmlNodePtr child = node_->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE) children.emplace_back(document_, child);
    return children;
}

XMLNode XMLNode::firstChildElement(std::string_view qualifiedName_) const {
    if (!node_) return {};
    for (xmlNodePtr child = node_->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE && qualifiedName(child->name, child->ns) == qualifiedName_)
            return XMLNode(document_, child);
    return {};
}

std::optional<std::vector<XMLNode>> XMLNode::nodesForXPath(std::string_view xpath, ErrorPtr* error) const {
    std::vector<XMLNode> nodes;
    if (!node_) return nodes;
    xmlXPathObjectPtr result = threadXPath().evaluate(xpath, document_->doc_, node_, document_->namespaces_, error);
    if (!result) return std::nullopt;
    if (result->type == XPATH_NODESET && result->nodesetval) {
        nodes.reserve(static_cast<std::size_t>(result->nodesetval->nodeNr));
        for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
            xmlNodePtr node = result->nodesetval->nodeTab[i];
            // Namespace nodes are copies owned by the result, which is freed below.
            if (node->type != XML_NAMESPACE_DECL) nodes.emplace_back(document_, node);
        }
    }
    xmlXPathFreeObject(result);
    return nodes;
}

std::string XMLNode::xmlString() const {
    if (!node_) return {};
    xmlBufferPtr buffer = xmlBufferCreate();
    if (!buffer) return {};
    xmlNodeDump(buffer, node_->doc, node_, 0, 0);
    std::string out = toString(xmlBufferContent(buffer));
    xmlBufferFree(buffer);
    return out;
}

}  // namespace movra
