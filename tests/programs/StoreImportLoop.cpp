// A process that imports a three-page list into the catalogue store in `DIR` for ever, each round with
// titles marked "R<round>|", and prints "committed <round> <page>" after each page's save. The crash-safety
// test kills it with SIGKILL at random moments and then checks the store.
#include "API/MVHTTPClient.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Platform/Platform.h"
#include "Platform/PlatformFactory.h"
#include "Utilities/XMLDocument.h"
#include "movra-backend/Catalogue.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace {

constexpr int kPages = 3;
constexpr int kPageSize = 100;

std::string markedPage(const std::string& page, long round) {
    const std::string mark = "<title>R" + std::to_string(round) + "|";
    std::string out;
    out.reserve(page.size() + 64 * kPageSize);
    std::size_t start = 0;
    for (std::size_t at; (at = page.find("<title>", start)) != std::string::npos; start = at + 7)
        out.append(page, start, at - start).append(mark);
    return out.append(page, start);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace movra;
    if (argc != 2) {
        std::cerr << "usage: store_import_loop DIR" << std::endl;
        return 2;
    }
    Configuration configuration;
    configuration.dataDirectory = argv[1];
    Platform::install(makeSystemPlatform(configuration, std::make_shared<UiHost>(), LogLevel::Error));
    MVHTTPClient::initSharedClientWithHost("127.0.0.1:9");
    auto store = std::make_shared<MVCoreDataService>(configuration.dataDirectory);
    if (auto error = store->setupStack()) {
        std::cerr << error->summary() << std::endl;
        return 1;
    }
    MVCoreDataService::setRegistered(store);

    std::string pages[kPages];
    for (int page = 0; page < kPages; ++page)
        pages[page] = backend::Catalogue::generatedPageXml(kPages * kPageSize, page * kPageSize, kPageSize);
    for (long round = 0;; ++round) {
        for (int page = 0; page < kPages; ++page) {
            auto document = XMLDocument::parse(markedPage(pages[page], round));
            bool done = false;
            ErrorPtr failure;
            MVHTTPClient::sharedClient()->handleXMLResponse(
                document, static_cast<unsigned long>(page * kPageSize), /*clearExistingData=*/page == 0,
                [&](ErrorPtr error, std::shared_ptr<MVChannel>, XMLDocumentPtr) {
                    failure = error;
                    done = true;
                });
            Platform::current().mainQueue().runUntil([&] { return done; }, 60);
            if (!done || failure) {
                std::cerr << "import failed: " << (failure ? failure->summary() : "no answer") << std::endl;
                return 1;
            }
            std::printf("committed %ld %d\n", round, page);
            std::fflush(stdout);
        }
    }
}
