// XMLModelClass: what a record class declares for the XML mappings (MVXMLDictonarySerializer and
// MTLXMLAdapter). C++ has no class operations, so a class is described by one static descriptor.
#pragma once

#include "Foundation/Json.h"
#include "Utilities/XMLNode.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace movra {

/// A forward-only value transformer. Its input is every node the key path matched; nullopt is nil.
using XMLTransformer = std::function<std::optional<Json>(const std::vector<XMLNode>&)>;

// Optional members default to empty (designated initialisers name only what a class has).
struct XMLModelClass {
    /// For logs and tests.
    std::string name{};
    /// XPath of the record's element, ending in "/", relative to the node it is read from ("result/",
    /// "self::item/", "./rss/channel/").
    std::string XPathPrefix{};
    /// Property name -> XPath below the prefix ("stravo:itemType", "media:group", "@url"), in reading
    /// order. nullopt excludes the property.
    std::vector<std::pair<std::string, std::optional<std::string>>> XMLKeyPathsByPropertyKey{};
    /// The "<property>XMLTransformer" class operations.
    std::map<std::string, XMLTransformer> propertyTransformers{};
    /// XMLTransformerForKey: for any key, asked when propertyTransformers has none; may return nullptr.
    std::function<XMLTransformer(const std::string& key)> XMLTransformerForKey{};
    /// classForParsingXML: the concrete class for a node; nullptr when none fits.
    std::function<const XMLModelClass*(const XMLNode& node)> classForParsingXML{};
    /// updateCalculatedValuesFromDictionary: derives further values after reading (dictionary serializer only).
    std::function<Json(Json dictionary)> updateCalculatedValuesFromDictionary{};

    // Model adapter only.
    /// Every property of the record, in order; one missing from XMLKeyPathsByPropertyKey is read from the
    /// element of its own name.
    std::vector<std::string> propertyKeys{};
    /// When the node holds no element at XPathPrefix, the adapter gives nil with an error, or without one
    /// when false (a class that probes whether a document is of its kind).
    bool missingElementIsError = true;
};

}  // namespace movra
