// MVThumbnail: the mapping of a "media:thumbnail" element.
#include "Model/MVThumbnail.h"

#include "Utilities/MVXMLDictonarySerializer.h"

namespace movra {

const XMLModelClass& MVThumbnail::modelClass() {
    static const XMLModelClass cls{
        .name = "MVThumbnail",
        .XPathPrefix = "self::media:thumbnail/",
        .XMLKeyPathsByPropertyKey = {{"url", "@url"},
                                     {"medium", "@medium"},
                                     {"width", "@width"},
                                     {"height", "@height"},
                                     {"profile", "@profile"}},
        .propertyTransformers = {{"width", MVXMLDictonarySerializer::XMLTransformerForInteger()},
                                 {"height", MVXMLDictonarySerializer::XMLTransformerForInteger()}}};
    return cls;
}

}  // namespace movra
