#include "Utilities/MVLoginResponse.h"

namespace movra {

const XMLModelClass& MVLoginResponse::modelClass() {
    static const XMLModelClass cls = [] {
        XMLModelClass c;
        c.name = "MVLoginResponse";
        c.XPathPrefix = "result/";
        c.propertyKeys = {"status", "token", "identityGuid", "accountGuid"};
        return c;
    }();
    return cls;
}

std::shared_ptr<MVLoginResponse> MVLoginResponse::modelWithDictionary(const Json& dictionary, ErrorPtr*) {
    return std::make_shared<MVLoginResponse>(dictionary);
}

MVLoginResponse::MVLoginResponse(const Json& dictionary)
    : status_(stringValue(dictionary, "status")),
      token_(stringValue(dictionary, "token")),
      identityGuid_(stringValue(dictionary, "identityGuid")),
      accountGuid_(stringValue(dictionary, "accountGuid")) {}

}  // namespace movra
