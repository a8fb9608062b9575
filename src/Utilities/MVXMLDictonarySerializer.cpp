// MVXMLDictonarySerializer: the dictionary mapping of XML nodes.
#include "Utilities/MVXMLDictonarySerializer.h"

#include "Foundation/Localization.h"
#include "Foundation/Log.h"
#include "Foundation/Strings.h"

#include <algorithm>
#include <exception>

namespace movra {

namespace {

// Matched nodes, or nullopt with *error. A prefix the document does not declare cannot match anything in
// it (a feed may leave out a namespace it does not use), so that is no match rather than a failure.
std::optional<std::vector<XMLNode>> match(const XMLNode& node, std::string_view xpath, ErrorPtr* error) {
    ErrorPtr xpathError;
    auto nodes = node.nodesForXPath(xpath, &xpathError);
    if (nodes) return nodes;
    if (xpathError->is(kXMLErrorDomain, kXMLErrorUndefinedNamespacePrefix)) return std::vector<XMLNode>{};
    if (error) *error = xpathError;
    return std::nullopt;
}

ErrorPtr exceptionError(const std::string& description, const std::string& keyPath, const XMLNode& node) {
    Log::error("*** Caught exception {} parsing XML key path \"{}\" from: {}", description, keyPath, node.xmlString());
    return makeError(kMVXMLDictionarySerializerErrorDomain, MVXMLDictionarySerializerErrorThrownException, description,
                     description, Json{{kMVXMLDictionarySerializerThrownExceptionErrorKey, description}});
}

// Calls `use` with the class's transformer for `key` and says whether there was one. The class's own
// transformer is used in place: a std::function copy per property costs measurably on large feeds.
template <class Use>
bool withTransformer(const XMLModelClass& modelClass, const std::string& key, Use&& use) {
    if (auto it = modelClass.propertyTransformers.find(key); it != modelClass.propertyTransformers.end()) {
        use(it->second);
        return true;
    }
    if (!modelClass.XMLTransformerForKey) return false;
    auto transformer = modelClass.XMLTransformerForKey(key);
    if (!transformer) return false;
    use(transformer);
    return true;
}

}  // namespace

std::optional<Json> MVXMLDictonarySerializer::dictionaryFromNode(const XMLNode& node, const XMLModelClass& modelClass,
                                                                 ErrorPtr* error) {
    if (!node) return std::nullopt;
    const XMLModelClass* cls = &modelClass;
    if (cls->classForParsingXML) cls = cls->classForParsingXML(node);
    if (!cls) {
        if (error)
            *error = makeError(kMVXMLDictionarySerializerErrorDomain, MVXMLDictionarySerializerErrorNoModelClass,
                               MVLocalizedString("Could not parse XML"),
                               MVLocalizedString("No model class could be found to parse XML."));
        return std::nullopt;
    }

    std::string_view elementPath = cls->XPathPrefix;
    while (!elementPath.empty() && elementPath.back() == '/') elementPath.remove_suffix(1);
    while (!elementPath.empty() && elementPath.front() == '/') elementPath.remove_prefix(1);
    auto element = match(node, elementPath, error);
    if (!element || element->empty()) return std::nullopt;

    Json dictionary = Json::object();
    dictionary.get_ref<Json::object_t&>().reserve(cls->XMLKeyPathsByPropertyKey.size());
    // Each path is the prefix and a key path; one buffer of the thread spares an allocation per property.
    thread_local std::string xpath;
    for (const auto& [property, keyPath] : cls->XMLKeyPathsByPropertyKey) {
        if (!keyPath) continue;
        try {
            xpath.assign(cls->XPathPrefix).append(*keyPath);
            auto nodes = match(node, xpath, error);
            if (!nodes) return std::nullopt;
            if (nodes->empty()) continue;
            // A class lists each property once, so the value is appended without searching the dictionary.
            // The binding is named again for the lambda: clang before 16 cannot capture a structured binding.
            bool transformed = withTransformer(*cls, property, [&, &key = property](const XMLTransformer& transformer) {
                auto value = transformer(*nodes);
                appendNewMember(dictionary, key, value ? std::move(*value) : Json(nullptr));
            });
            if (!transformed) appendNewMember(dictionary, property, nodes->front().stringValue());
        } catch (const std::exception& e) {
            if (error) *error = exceptionError(e.what(), *keyPath, node);
            return std::nullopt;
        } catch (...) {
            if (error) *error = exceptionError("unknown exception", *keyPath, node);
            return std::nullopt;
        }
    }

    if (cls->updateCalculatedValuesFromDictionary)
        dictionary = cls->updateCalculatedValuesFromDictionary(std::move(dictionary));
    return dictionary;
}

XMLTransformer MVXMLDictonarySerializer::XMLTransformerForKey(const std::string& key, const XMLModelClass& modelClass) {
    XMLTransformer found;
    withTransformer(modelClass, key, [&](const XMLTransformer& transformer) { found = transformer; });
    return found;
}

XMLTransformer MVXMLDictonarySerializer::XMLTransformerForInteger() {
    return [](const std::vector<XMLNode>& nodes) -> std::optional<Json> {
        if (nodes.empty()) return std::nullopt;
        auto text = nodes.front().stringValue();
        if (text.empty()) return std::nullopt;
        return Json(integerValue(text));
    };
}

XMLTransformer MVXMLDictonarySerializer::XMLTransformerForURL() {
    return [](const std::vector<XMLNode>& nodes) -> std::optional<Json> {
        if (nodes.empty()) return std::nullopt;
        auto text = nodes.front().stringValue();
        // The platform's URL parser refuses empty text and text with spaces or control characters.
        bool usable = !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
            return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f;
        });
        if (!usable) return std::nullopt;
        return Json(std::move(text));
    };
}

XMLTransformer MVXMLDictonarySerializer::XMLTransformerWithModelClass(const XMLModelClass& modelClass) {
    return [cls = &modelClass](const std::vector<XMLNode>& nodes) -> std::optional<Json> {
        if (nodes.empty()) return std::nullopt;
        return dictionaryFromNode(nodes.front(), *cls);
    };
}

XMLTransformer MVXMLDictonarySerializer::XMLArrayTransformerWithModelClass(const XMLModelClass& modelClass) {
    return [cls = &modelClass](const std::vector<XMLNode>& nodes) -> std::optional<Json> {
        Json array = Json::array();
        for (const auto& node : nodes) {
            if (!node.isElement()) continue;
            if (auto dictionary = dictionaryFromNode(node, *cls)) array.push_back(std::move(*dictionary));
        }
        return array;
    };
}

XMLTransformer MVXMLDictonarySerializer::XMLNonUniformObjectArrayTransformerWithModelClass(
    const XMLModelClass& baseClass) {
    return [base = &baseClass](const std::vector<XMLNode>& nodes) -> std::optional<Json> {
        if (nodes.empty()) return std::nullopt;
        Json array = Json::array();
        for (const auto& node : nodes) {
            const XMLModelClass* cls = base->classForParsingXML ? base->classForParsingXML(node) : base;
            if (!cls) continue;
            if (auto dictionary = dictionaryFromNode(node, *cls)) array.push_back(std::move(*dictionary));
        }
        return array;
    };
}

}  // namespace movra
