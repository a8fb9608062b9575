// MVMediaContent: the mapping of a "media:content" element.
#include "Model/MVMediaContent.h"

#include "Utilities/MVXMLDictonarySerializer.h"

namespace movra {

const XMLModelClass& MVMediaContent::modelClass() {
    static const XMLModelClass cls = [] {
        const auto integer = MVXMLDictonarySerializer::XMLTransformerForInteger();
        return XMLModelClass{.name = "MVMediaContent",
                             .XPathPrefix = "self::media:content/",
                             .XMLKeyPathsByPropertyKey = {{"url", "@url"},
                                                          {"type", "@type"},
                                                          {"medium", "@medium"},
                                                          {"profile", "@profile"},
                                                          {"expression", "@expression"},
                                                          {"duration", "@duration"},
                                                          {"width", "@width"},
                                                          {"height", "@height"},
                                                          {"bitrate", "@bitrate"},
                                                          {"status", "@media:status"}},
                             .propertyTransformers = {
                                 {"duration", integer}, {"width", integer}, {"height", integer}, {"bitrate", integer}}};
    }();
    return cls;
}

}  // namespace movra
