#include "Utilities/MVErrorResponse.h"

namespace movra {

const XMLModelClass& MVErrorResponse::modelClass() {
    static const XMLModelClass cls = [] {
        XMLModelClass c;
        c.name = "MVErrorResponse";
        c.XPathPrefix = "result/";
        c.XMLKeyPathsByPropertyKey = {{"status", "status"},
                                      {"errorCode", "errorCode"},
                                      {"userMessage", "userMessage"},
                                      {"systemMessage", "systemMessage"}};
        c.propertyKeys = {"status", "errorCode", "userMessage", "systemMessage"};
        c.missingElementIsError = false;
        return c;
    }();
    return cls;
}

std::shared_ptr<MVErrorResponse> MVErrorResponse::modelWithDictionary(const Json& dictionary, ErrorPtr*) {
    return std::make_shared<MVErrorResponse>(dictionary);
}

MVErrorResponse::MVErrorResponse(const Json& dictionary)
    : status_(stringValue(dictionary, "status")),
      errorCode_(stringValue(dictionary, "errorCode")),
      userMessage_(stringValue(dictionary, "userMessage")),
      systemMessage_(stringValue(dictionary, "systemMessage")) {}

}  // namespace movra
