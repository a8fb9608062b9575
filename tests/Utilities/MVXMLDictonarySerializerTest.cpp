#include "Utilities/MVXMLDictonarySerializer.h"
#include "Utilities/XMLDocument.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace movra {
namespace {

using S = MVXMLDictonarySerializer;

// Namespaces, nested classes, arrays and calculated values are covered through the catalogue's own classes
// (MVChannelTest); these classes reach what those do not use: transformers by key, left-out key paths, and
// empty or missing elements.
constexpr const char* kFeed = R"(<rss xmlns:stravo="urn:s"><channel><guid>ch1</guid>
  <item><guid>a</guid><title>A</title><stravo:bookmark></stravo:bookmark></item>
  <item><guid>b</guid><title/><stravo:bookmark>754</stravo:bookmark><link> </link></item>
</channel></rss>)";

struct Classes {
    XMLModelClass item, channel;
    Classes() {
        item = {.name = "MVItem",
                .XPathPrefix = "self::item/",
                .XMLKeyPathsByPropertyKey = {{"guid", "guid"},
                                             {"title", "title"},
                                             {"bookmark", "stravo:bookmark"},
                                             {"link", "link"},
                                             {"houseId", "houseId"},
                                             {"excluded", std::nullopt}},
                .XMLTransformerForKey = [](const std::string& key) -> XMLTransformer {
                    if (key == "bookmark") return S::XMLTransformerForInteger();
                    return key == "link" ? S::XMLTransformerForURL() : nullptr;
                }};
        channel = {.name = "MVChannel",
                   .XPathPrefix = "./rss/channel/",
                   .XMLKeyPathsByPropertyKey = {{"guid", "guid"}, {"items", "item"}},
                   .propertyTransformers = {{"items", S::XMLArrayTransformerWithModelClass(item)}}};
    }
};

TEST(MVXMLDictonarySerializerTest, TransformersByKeyAndMissingOrEmptyElements) {
    Classes c;
    auto doc = XMLDocument::parse(kFeed);
    ASSERT_TRUE(doc);
    ErrorPtr error;
    auto channel = S::dictionaryFromNode(doc->documentNode(), c.channel, &error);
    ASSERT_TRUE(channel) << (error ? error->summary() : "no error");
    EXPECT_FALSE(error);
    ASSERT_EQ((*channel)["items"].size(), 2u);
    const Json& a = (*channel)["items"][0];
    const Json& b = (*channel)["items"][1];
    EXPECT_FALSE(a.contains("link"));      // no element: absent, not null
    EXPECT_TRUE(a["bookmark"].is_null());  // empty element: no value, and not 0
    EXPECT_EQ(b["bookmark"], 754);
    EXPECT_EQ(b["title"], "");
    EXPECT_TRUE(b["link"].is_null());
    EXPECT_FALSE(a.contains("excluded"));
    EXPECT_FALSE(a.contains("houseId"));
}

TEST(MVXMLDictonarySerializerTest, NilAndErrorCases) {
    Classes c;
    auto doc = XMLDocument::parse(kFeed);
    ASSERT_TRUE(doc);
    auto item = doc->documentNode().nodesForXPath("//item")->front();

    XMLModelClass badKeyPath = c.item;
    badKeyPath.XMLKeyPathsByPropertyKey.push_back({"broken", "title[["});
    XMLModelClass noClass = c.item;
    noClass.classForParsingXML = [](const XMLNode&) -> const XMLModelClass* { return nullptr; };
    XMLModelClass throwing = c.item;
    throwing.propertyTransformers["title"] = [](const std::vector<XMLNode>&) -> std::optional<Json> {
        throw std::runtime_error("boom");
    };
    XMLModelClass undeclaredPrefix = c.item;
    undeclaredPrefix.XMLKeyPathsByPropertyKey = {{"x", "dcterms:valid"}, {"guid", "guid"}};

    struct Case {
        const char* name;
        const XMLModelClass& cls;
        XMLNode node;
        bool dictionary;
        const char* domain;  // nullptr: no error
        std::int64_t code;
    };
    const Case cases[] = {
        {"null node", c.item, XMLNode(), false, nullptr, 0},
        {"prefix does not match", c.channel, item, false, nullptr, 0},
        {"invalid key path", badKeyPath, item, false, kXMLErrorDomain, 0},
        {"no model class", noClass, item, false, kMVXMLDictionarySerializerErrorDomain, 2},
        {"exception in a transformer", throwing, item, false, kMVXMLDictionarySerializerErrorDomain, 1},
        {"prefix the document does not declare", undeclaredPrefix, item, true, nullptr, 0},
    };
    for (const auto& k : cases) {
        ErrorPtr error;
        auto d = S::dictionaryFromNode(k.node, k.cls, &error);
        EXPECT_EQ(bool(d), k.dictionary) << k.name;
        if (!k.domain) {
            EXPECT_FALSE(error) << k.name;
            continue;
        }
        ASSERT_TRUE(error) << k.name;
        EXPECT_EQ(error->domain, k.domain) << k.name;
        if (k.code) {
            EXPECT_EQ(error->code, k.code) << k.name;
        }
    }
}

// Edge input for the integer and model-class transformers (the URL one is reached by key above).
TEST(MVXMLDictonarySerializerTest, ReadyMadeTransformersOnEdgeInput) {
    auto doc = XMLDocument::parse("<r><n> 42x</n><n/></r>");
    ASSERT_TRUE(doc);
    auto n = doc->rootElement().nodesForXPath("n").value();
    auto integer = S::XMLTransformerForInteger();
    EXPECT_EQ(integer(n), Json(42));
    EXPECT_EQ(integer({n[1]}), std::nullopt);

    XMLModelClass named{.name = "N", .XPathPrefix = "self::n/", .XMLKeyPathsByPropertyKey = {{"text", "text()"}}};
    // Text nodes are skipped; an element without text gives a dictionary without the key.
    auto mixed = doc->rootElement().nodesForXPath("n | n/text()").value();
    EXPECT_EQ(S::XMLArrayTransformerWithModelClass(named)(mixed), Json::parse(R"([{"text":" 42x"},{}])"));
}

}  // namespace
}  // namespace movra
