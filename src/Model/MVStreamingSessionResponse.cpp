#include "Model/MVStreamingSessionResponse.h"

#include "Utilities/MTLXMLAdapter.h"
#include "Utilities/MVXMLDictonarySerializer.h"

namespace movra {

namespace {

// The channel's key paths, read below the "result" element itself rather than below a feed's channel.
const XMLModelClass& resultAsChannelClass() {
    static const XMLModelClass cls = [] {
        XMLModelClass c = MVChannel::modelClass();
        c.name = "MVChannel (session result)";
        c.XPathPrefix = "self::result/";
        return c;
    }();
    return cls;
}

std::shared_ptr<MVChannel> channelFromDictionary(const Json& dictionary) {
    auto channel = std::make_shared<MVChannel>();
    channel->updateFromJSON(dictionary);
    std::vector<std::shared_ptr<MVItem>> items;
    if (auto it = dictionary.find("items"); it != dictionary.end() && it->is_array()) {
        for (const auto& values : *it) {
            auto item = std::make_shared<MVItem>();
            item->updateFromJSON(values);
            items.push_back(std::move(item));
        }
    }
    channel->setItems(std::move(items));
    return channel;
}

}  // namespace

XMLTransformer MVStreamingSessionResponse::channelXMLTransformer() {
    return MVXMLDictonarySerializer::XMLTransformerWithModelClass(resultAsChannelClass());
}

const XMLModelClass& MVStreamingSessionResponse::modelClass() {
    static const XMLModelClass cls{
        .name = "MVStreamingSessionResponse",
        .XPathPrefix = "result/",
        .XMLKeyPathsByPropertyKey = {{"errorCode", "errorCode"},
                                     {"status", "status"},
                                     {"userMessage", "userMessage"},
                                     {"systemMessage", "systemMessage"},
                                     {"url", "url"},
                                     {"realm", "realm"},
                                     {"cuePoints", "stravo:cuePoints/stravo:cuePoint"},
                                     {"chainplayTimer", "stravo:chainplayTimer"},
                                     {"channel", "self::result"}},
        .propertyTransformers = {{"url", MVXMLDictonarySerializer::XMLTransformerForURL()},
                                 {"cuePoints", MTLXMLAdapter::XMLArrayTransformerWithModelClass<MVCuePoint>()},
                                 {"chainplayTimer", MVXMLDictonarySerializer::XMLTransformerForInteger()},
                                 {"channel", channelXMLTransformer()}},
        .propertyKeys = {"errorCode", "status", "userMessage", "systemMessage", "url", "realm", "cuePoints",
                         "chainplayTimer", "channel"},
    };
    return cls;
}

std::shared_ptr<MVStreamingSessionResponse> MVStreamingSessionResponse::modelWithDictionary(const Json& dictionary,
                                                                                            ErrorPtr*) {
    return std::make_shared<MVStreamingSessionResponse>(dictionary);
}

MVStreamingSessionResponse::MVStreamingSessionResponse(const Json& dictionary)
    : errorCode_(stringValue(dictionary, "errorCode")),
      status_(stringValue(dictionary, "status")),
      userMessage_(stringValue(dictionary, "userMessage")),
      systemMessage_(stringValue(dictionary, "systemMessage")),
      url_(stringValue(dictionary, "url")),
      realm_(stringValue(dictionary, "realm")) {
    if (auto it = dictionary.find("cuePoints"); it != dictionary.end() && it->is_array())
        for (const auto& values : *it) cuePoints_.push_back(MVCuePoint::modelWithDictionary(values));
    if (auto it = dictionary.find("chainplayTimer"); it != dictionary.end() && it->is_number_integer())
        chainplayTimer_ = it->get<long long>();
    if (auto it = dictionary.find("channel"); it != dictionary.end() && it->is_object())
        channel_ = channelFromDictionary(*it);
}

}  // namespace movra
