// MVMediaGroup: the mapping of a "media:group" element and its records.
#include "Model/MVMediaGroup.h"

#include "Utilities/MVXMLDictonarySerializer.h"

namespace movra {

const XMLModelClass& MVMediaGroup::modelClass() {
    static const XMLModelClass cls{
        .name = "MVMediaGroup",
        .XPathPrefix = "self::media:group/",
        .XMLKeyPathsByPropertyKey = {{"content", "media:content"}, {"thumbnails", "media:thumbnail"}},
        .propertyTransformers = {
            {"content", MVXMLDictonarySerializer::XMLArrayTransformerWithModelClass(MVMediaContent::modelClass())},
            {"thumbnails", MVXMLDictonarySerializer::XMLArrayTransformerWithModelClass(MVThumbnail::modelClass())}}};
    return cls;
}

MVMediaGroup::MVMediaGroup(const Json& dictionary)
    : MVMediaGroup(DictionaryRecord::recordsFromArray<MVMediaContent>(dictionary.value("content", Json())),
                   DictionaryRecord::recordsFromArray<MVThumbnail>(dictionary.value("thumbnails", Json()))) {}

MVMediaGroup::MVMediaGroup(std::vector<MVMediaContent> content, std::vector<MVThumbnail> thumbnails)
    : content_(std::move(content)), thumbnails_(std::move(thumbnails)) {}

}  // namespace movra
