// MTLXMLAdapter: key-path completion of record classes and the adapter's reading rules.
#include "Utilities/MTLXMLAdapter.h"

#include "Foundation/Localization.h"

#include <algorithm>

namespace movra {

XMLModelClass MTLXMLAdapter::adaptedClass(const XMLModelClass& modelClass) {
    XMLModelClass adapted = modelClass;
    adapted.XMLKeyPathsByPropertyKey.clear();
    const auto& listed = modelClass.XMLKeyPathsByPropertyKey;
    for (const auto& key : modelClass.propertyKeys) {
        auto it = std::find_if(listed.begin(), listed.end(), [&](const auto& entry) { return entry.first == key; });
        adapted.XMLKeyPathsByPropertyKey.emplace_back(key, it == listed.end() ? std::optional(key) : it->second);
    }
    // A record type is fixed at compile time: the adapter cannot switch classes per node.
    adapted.classForParsingXML = nullptr;
    adapted.updateCalculatedValuesFromDictionary = nullptr;
    return adapted;
}

std::optional<Json> MTLXMLAdapter::dictionaryFromNode(const XMLNode& node, const XMLModelClass& adapted,
                                                      ErrorPtr* error) {
    ErrorPtr mappingError;
    auto dictionary = MVXMLDictonarySerializer::dictionaryFromNode(node, adapted, &mappingError);
    if (dictionary) return dictionary;
    if (!mappingError && adapted.missingElementIsError)
        mappingError =
            makeError(kMTLXMLAdapterErrorDomain, kMTLXMLAdapterErrorNoElement, MVLocalizedString("Could not parse XML"),
                      MVLocalizedString("The XML does not hold the expected element."));
    if (error) *error = mappingError;
    return std::nullopt;
}

}  // namespace movra
