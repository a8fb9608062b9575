// The catalogue tests' shared fixture.
#include "CatalogueTest.h"

namespace movra::backend {

std::string CatalogueTest::text(const XMLNode& node, const char* name) {
    auto child = node ? node.firstChildElement(name) : XMLNode();
    return child ? child.stringValue() : "<none>";
}

std::vector<XMLNode> CatalogueTest::select(const XMLNode& node, const std::string& xpath) {
    ErrorPtr error;
    auto nodes = node.nodesForXPath(xpath, &error);
    if (!nodes) {
        ADD_FAILURE() << xpath << ": " << (error ? error->summary() : "failed");
        return {};
    }
    return *nodes;
}

std::string CatalogueTest::Page::channelText(const char* name) const { return text(channel, name); }

int CatalogueTest::Page::totalResults() const { return std::stoi("0" + channelText("stravo:totalResults")); }

std::vector<std::string> CatalogueTest::Page::guids() const {
    std::vector<std::string> guids;
    for (const XMLNode& item : items) guids.push_back(text(item, "guid"));
    return guids;
}

CatalogueTest::Page CatalogueTest::browse(const std::string& path, const std::string& query,
                                          const std::string& language, const std::string& token) const {
    const std::string target = std::string(ClientApi::kClientPath) + "ios/" + path + "?language=" + language +
                               (query.empty() ? "" : "&" + query);
    Page page;
    auto result = client()->Get(target.c_str(), standardHeaders(token));
    if (!result) {
        ADD_FAILURE() << "no answer to " << target;
        return page;
    }
    page.status = result->status;
    page.body = result->body;
    page.document = XMLDocument::parse(page.body);
    if (!page.document || page.status != 200) return page;
    page.channel = page.document->rootElement().firstChildElement("channel");
    for (const XMLNode& child : page.channel.childElements())
        if (child.name() == "item") page.items.push_back(child);
    return page;
}

std::vector<XMLNode> CatalogueTest::browseAll(const std::string& path, const std::string& query) const {
    std::vector<XMLNode> items;
    for (;;) {
        Page page =
            browse(path, "offset=" + std::to_string(items.size()) + "&max=30" + (query.empty() ? "" : "&" + query));
        EXPECT_EQ(page.status, 200) << path << ": " << page.body;
        items.insert(items.end(), page.items.begin(), page.items.end());
        if (page.status != 200 || page.items.empty() || static_cast<int>(items.size()) >= page.totalResults()) break;
    }
    return items;
}

std::string CatalogueTest::baseUrl() const { return "https://127.0.0.1:" + std::to_string(server_->port()); }

}  // namespace movra::backend
