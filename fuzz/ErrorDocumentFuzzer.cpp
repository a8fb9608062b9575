// Feeds arbitrary bytes to the readers of the service's non-feed answers: the error document every request
// may get, and the sign-in, settings and account records read from their answers.
#include "API/MVHTTPClient.h"
#include "FuzzPlatform.h"
#include "Utilities/MTLXMLAdapter.h"
#include "Utilities/MVAccount.h"
#include "Utilities/MVErrorResponse.h"
#include "Utilities/MVLoginResponse.h"
#include "Utilities/MVSettingsResponse.h"
#include "Utilities/XMLDocument.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace movra;
    fuzz::installPlatform();
    ErrorPtr error;
    auto document = XMLDocument::parse(std::string_view(reinterpret_cast<const char*>(data), size), &error);
    if (!document) return 0;
    if (auto failure = MVHTTPClient::parseStravoErrorFromDocument(document)) (void)failure->summary();
    const auto root = document->documentNode();
    MTLXMLAdapter::modelOfClass<MVErrorResponse>(root, &error);
    MTLXMLAdapter::modelOfClass<MVLoginResponse>(root, &error);
    MTLXMLAdapter::modelOfClass<MVSettingsResponse>(root, &error);
    MTLXMLAdapter::modelOfClass<MVAccount>(root, &error);
    return 0;
}
