// Element access over the libxml2 tree of a parsed body.
#include "movra-backend/XmlElement.h"

#include <libxml/tree.h>

namespace movra::backend {

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

}  // namespace

std::string XmlElement::name() const { return node_ ? qualifiedName(node_->name, node_->ns) : std::string(); }

std::string XmlElement::text() const { return node_ ? ownedString(xmlNodeGetContent(node_)) : std::string(); }

std::optional<std::string> XmlElement::attribute(std::string_view name) const {
    if (!node_) return std::nullopt;
    for (const xmlAttr* attr = node_->properties; attr; attr = attr->next)
        if (qualifiedName(attr->name, attr->ns) == name)
            return ownedString(xmlNodeListGetString(node_->doc, attr->children, 1));
    return std::nullopt;
}

std::vector<XmlElement> XmlElement::children() const {
    std::vector<XmlElement> elements;
    if (!node_) return elements;
    for (const xmlNode* child = node_->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE) elements.emplace_back(child);
    return elements;
}

XmlElement XmlElement::firstChild(std::string_view name) const {
    if (!node_) return {};
    for (const xmlNode* child = node_->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE && qualifiedName(child->name, child->ns) == name) return XmlElement(child);
    return {};
}

}  // namespace movra::backend
