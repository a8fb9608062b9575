// CatalogueTest: fixture of the emulator's catalogue tests: browse requests as the client sends them and
// the feed pages they answer, read through the client's XML reader.
#pragma once

#include "EmulatorTest.h"
#include "Utilities/XMLDocument.h"

#include <string>
#include <vector>

namespace movra::backend {

class CatalogueTest : public EmulatorTest {
  protected:
    /// One answered feed page.
    struct Page {
        int status = 0;
        std::string body;
        XMLDocumentPtr document;
        XMLNode channel;
        std::vector<XMLNode> items;

        /// Text of the channel's first `name` child, "<none>" without one.
        std::string channelText(const char* name) const;
        int totalResults() const;
        std::vector<std::string> guids() const;
    };

    /// Text of `node`'s first `name` child, "<none>" without one.
    static std::string text(const XMLNode& node, const char* name);
    /// The nodes `xpath` selects from `node` (a failed expression fails the test).
    static std::vector<XMLNode> select(const XMLNode& node, const std::string& xpath);

    /// GET of the client API path "ios/<path>" with the standard headers (and `token` when given), the Tavik
    /// language and `query` ("offset=30&max=30") appended.
    Page browse(const std::string& path, const std::string& query = {}, const std::string& language = "sv_mvtk",
                const std::string& token = {}) const;
    /// Every page of `path` at the client's page size, until the channel's total is reached; the items in order.
    std::vector<XMLNode> browseAll(const std::string& path, const std::string& query = {}) const;
    /// "https://127.0.0.1:<port>": the base of the links in the emulator's answers.
    std::string baseUrl() const;
};

}  // namespace movra::backend
