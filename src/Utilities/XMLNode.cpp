// XMLNode: node access and XPath evaluation over libxml2.
#include "Utilities/XMLNode.h"

#include "Foundation/Localization.h"
#include "Utilities/XMLDocument.h"

#include <libxml/dict.h>  // after tree.h, which defines xmlChar for it
#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
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

// The record mappings ask for paths such as "self::item/media:group/@url", once per property per item; for
// these plain location paths (steps "self::QName", "QName", ".", and a last "@QName") walking the tree
// gives the same nodes as libxml2's evaluator, in document order, at a fraction of its cost. nullopt means
// the path is not of that form and the evaluator must run; an undeclared prefix gives the evaluator's error.
class PathStep {
  public:
    enum class Axis { Self, Child, Attribute, Current };

    // How a name test of libxml2 matches: a prefixed name by namespace URI, an unprefixed one only a node
    // outside every namespace.
    /// `interned` is the document dictionary's copy of `local`, or null when the document has none.
    bool matches(const xmlChar* nodeName, const xmlNs* ns, const xmlChar* href, const xmlChar* interned) const {
        if (interned ? nodeName != interned : xmlStrcmp(nodeName, reinterpret_cast<const xmlChar*>(local.c_str())) != 0)
            return false;
        if (!href) return ns == nullptr;
        return ns && ns->href && (ns->href == href || xmlStrcmp(ns->href, href) == 0);
    }

    Axis axis = Axis::Child;
    std::string prefix;
    std::string local;
};

bool isNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

bool isName(std::string_view n) {
    return !n.empty() && !(n.front() >= '0' && n.front() <= '9') && n.front() != '-' && n.front() != '.' &&
           std::all_of(n.begin(), n.end(), isNameCharacter);
}

// The steps of a plain path, or nullopt when the path needs the evaluator.
std::optional<std::vector<PathStep>> parseSimplePath(std::string_view xpath) {
    if (xpath.empty()) return std::nullopt;
    std::vector<PathStep> steps;
    std::size_t start = 0;
    while (true) {
        const auto end = std::min(xpath.find('/', start), xpath.size());
        std::string_view text = xpath.substr(start, end - start);
        PathStep step;
        if (text == ".") {
            step.axis = PathStep::Axis::Current;
        } else {
            if (text.substr(0, 6) == "self::") {
                step.axis = PathStep::Axis::Self;
                text.remove_prefix(6);
            } else if (!text.empty() && text.front() == '@') {
                step.axis = PathStep::Axis::Attribute;
                text.remove_prefix(1);
                if (end != xpath.size()) return std::nullopt;  // attributes have no children to step to
            }
            const auto colon = text.find(':');
            if (colon != std::string_view::npos) {
                step.prefix = std::string(text.substr(0, colon));
                if (!isName(step.prefix)) return std::nullopt;
                text.remove_prefix(colon + 1);
            }
            if (!isName(text)) return std::nullopt;
            step.local = std::string(text);
        }
        steps.push_back(std::move(step));
        if (end == xpath.size()) return steps;
        start = end + 1;
    }
}

struct PathHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// A plain path's steps, and what they were bound to in the last document walked with them: each step's
// name as the document's dictionary holds it, and its prefix's namespace URI. A feed's items ask the same
// few dozen paths of one document thousands of times, so the binding is worked out once per document.
struct SimplePath {
    std::vector<PathStep> steps;
    std::uint64_t boundSerial = 0;  // the document's serial; 0 = not bound yet
    bool prefixesDeclared = false;
    bool namesPresent = false;
    std::vector<const xmlChar*> hrefs;
    std::vector<const xmlChar*> interned;  // null without a dictionary (names then compare by text)
};

// Parsed plain paths per thread, as the compiled expressions are.
SimplePath* simplePath(std::string_view xpath) {
    constexpr std::size_t kMaxPaths = 1024;
    thread_local std::unordered_map<std::string, std::optional<SimplePath>, PathHash, std::equal_to<>> paths;
    auto it = paths.find(xpath);
    if (it == paths.end()) {
        if (paths.size() >= kMaxPaths) paths.clear();
        std::optional<SimplePath> parsed;
        if (auto steps = parseSimplePath(xpath)) {
            parsed.emplace();
            parsed->steps = std::move(*steps);
        }
        it = paths.emplace(std::string(xpath), std::move(parsed)).first;
    }
    return it->second ? &*it->second : nullptr;
}

// The namespace URI of each step's prefix (null without one): the document's first declaration of it, as
// the evaluator looks it up. False when a prefix is not declared.
bool bindPrefixes(const std::vector<PathStep>& steps, const std::vector<xmlNsPtr>& namespaces,
                  std::vector<const xmlChar*>& hrefs) {
    hrefs.assign(steps.size(), nullptr);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto& prefix = steps[i].prefix;
        if (prefix.empty()) continue;
        if (prefix == "xml") {
            hrefs[i] = XML_XML_NAMESPACE;
            continue;
        }
        for (const auto* ns : namespaces)
            if (ns && ns->prefix && xmlStrcmp(ns->prefix, reinterpret_cast<const xmlChar*>(prefix.c_str())) == 0) {
                hrefs[i] = ns->href;
                break;
            }
        if (!hrefs[i]) return false;
    }
    return true;
}

// The parser keeps every element and attribute name of a document in its dictionary, so a name is
// compared by address; a name the dictionary lacks is in no node of the document.
void bind(SimplePath& path, xmlDocPtr doc, const std::vector<xmlNsPtr>& namespaces, std::uint64_t serial) {
    path.boundSerial = serial;
    path.prefixesDeclared = bindPrefixes(path.steps, namespaces, path.hrefs);
    path.namesPresent = true;
    path.interned.assign(path.steps.size(), nullptr);
    xmlDictPtr dict = doc ? doc->dict : nullptr;
    if (!dict) return;
    for (std::size_t i = 0; i < path.steps.size(); ++i) {
        const auto& step = path.steps[i];
        if (step.axis == PathStep::Axis::Current) continue;
        path.interned[i] = xmlDictExists(dict, reinterpret_cast<const xmlChar*>(step.local.data()),
                                         static_cast<int>(step.local.size()));
        if (!path.interned[i]) path.namesPresent = false;
    }
}

// The selected nodes, in a buffer of the thread that the next walk reuses.
const std::vector<xmlNodePtr>& walk(xmlNodePtr start, const SimplePath& path) {
    thread_local std::vector<xmlNodePtr> current;
    thread_local std::vector<xmlNodePtr> next;
    current.assign(1, start);
    if (!path.namesPresent) {
        current.clear();
        return current;
    }
    for (std::size_t i = 0; i < path.steps.size(); ++i) {
        const auto& step = path.steps[i];
        const xmlChar* href = path.hrefs[i];
        const xmlChar* interned = path.interned[i];
        next.clear();
        for (xmlNodePtr node : current) {
            switch (step.axis) {
                case PathStep::Axis::Current:
                    next.push_back(node);
                    break;
                case PathStep::Axis::Self:
                    if (node->type == XML_ELEMENT_NODE && step.matches(node->name, node->ns, href, interned))
                        next.push_back(node);
                    break;
                case PathStep::Axis::Child:
                    if (node->type == XML_ATTRIBUTE_NODE) break;
                    for (xmlNodePtr child = node->children; child; child = child->next)
                        if (child->type == XML_ELEMENT_NODE && step.matches(child->name, child->ns, href, interned))
                            next.push_back(child);
                    break;
                case PathStep::Axis::Attribute:
                    if (node->type != XML_ELEMENT_NODE) break;
                    for (xmlAttrPtr attr = node->properties; attr; attr = attr->next)
                        if (step.matches(attr->name, attr->ns, href, interned))
                            next.push_back(reinterpret_cast<xmlNodePtr>(attr));
                    break;
            }
        }
        current.swap(next);
        if (current.empty()) break;
    }
    return current;
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

std::string XMLNode::stringValue() const {
    if (!node_) return {};
    // Most values are one text node; its text is read in place rather than through a copy libxml2 makes.
    if (node_->type == XML_ELEMENT_NODE || node_->type == XML_ATTRIBUTE_NODE) {
        const xmlNode* only = node_->children;
        if (!only) return {};
        if (!only->next && (only->type == XML_TEXT_NODE || only->type == XML_CDATA_SECTION_NODE))
            return toString(only->content);
    }
    return ownedString(xmlNodeGetContent(node_));
}

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
    if (auto* path = simplePath(xpath)) {
        if (path->boundSerial != document_->serial_)
            bind(*path, document_->doc_, document_->namespaces_, document_->serial_);
        if (!path->prefixesDeclared) {
            if (error)
                *error = makeError(kXMLErrorDomain, kXMLErrorUndefinedNamespacePrefix,
                                   MVLocalizedString("The XPath expression could not be evaluated."),
                                   "Undefined namespace prefix");
            return std::nullopt;
        }
        const auto& selected = walk(node_, *path);
        nodes.reserve(selected.size());
        for (xmlNodePtr node : selected) nodes.emplace_back(document_, node);
        return nodes;
    }
    document_->prepareForEvaluator();
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
