// Feeds arbitrary bytes to the catalogue import as a browse answer: parsed as the response serializer
// parses it, imported replacing a channel's first page and then appended as a second page, into a store on
// disk (TMPDIR). Any crash, sanitizer report or hang is a finding; a refused document is not.
#include "API/MVHTTPClient.h"
#include "FuzzPlatform.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Utilities/XMLDocument.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace movra;

std::shared_ptr<MVCoreDataService> setUp() {
    const auto& directory = fuzz::installPlatform();
    MVHTTPClient::initSharedClientWithHost("127.0.0.1:9");
    auto store = std::make_shared<MVCoreDataService>(directory);
    if (store->setupStack()) std::abort();
    MVCoreDataService::setRegistered(store);
    return store;
}

void import(const XMLDocumentPtr& document, unsigned long offset, bool replacing) {
    bool done = false;
    MVHTTPClient::sharedClient()->handleXMLResponse(
        document, offset, replacing, [&](ErrorPtr, std::shared_ptr<MVChannel>, XMLDocumentPtr) { done = true; });
    if (!Platform::current().mainQueue().runUntil([&] { return done; }, 60)) std::abort();  // a hang
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto store = setUp();
    auto document = XMLDocument::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!document) return 0;
    // Each input starts from an empty store, so that a finding replays from its input alone.
    bool cleared = false;
    ErrorPtr failure;
    store->deleteAllDataWithCompletion([&](ErrorPtr error) {
        failure = error;
        cleared = true;
    });
    if (!Platform::current().mainQueue().runUntil([&] { return cleared; }, 60) || failure) std::abort();
    import(document, 0, /*replacing=*/true);
    import(document, 30, /*replacing=*/false);
    // What was stored must read back.
    store->mainContext()->fetchItems({});
    return 0;
}
