#include "Utilities/XMLDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace movra {
namespace {

constexpr const char* kDocument = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss xmlns:stravo="urn:example:other-stravo-uri" xmlns:media="http://search.yahoo.com/mrss/">
  <channel>
    <item><title>One</title><stravo:itemType>media</stravo:itemType>
      <media:content url="https://cdn/1.m3u8" media:status="ok"/></item>
    <item xmlns:stravo="urn:example:second-binding"><title>Two</title><stravo:itemType>folder</stravo:itemType></item>
  </channel>
</rss>)";

TEST(XMLDocumentTest, XPathUsesTheDocumentsOwnPrefixesFirstDeclarationWins) {
    auto doc = XMLDocument::parse(kDocument);
    ASSERT_TRUE(doc);
    auto types = doc->documentNode().nodesForXPath("/rss/channel/item/stravo:itemType");
    ASSERT_TRUE(types);
    // The second item rebinds "stravo" to another URI; the first binding is the one XPath knows.
    ASSERT_EQ(types->size(), 1u);
    EXPECT_EQ(types->front().stringValue(), "media");

    auto item = doc->rootElement().firstChildElement("channel").firstChildElement("item");
    auto attributes = item.nodesForXPath("self::item/media:content/@media:status");
    ASSERT_TRUE(attributes && attributes->size() == 1);
    EXPECT_EQ(attributes->front().name(), "media:status");
    EXPECT_EQ(attributes->front().stringValue(), "ok");
    auto count = item.nodesForXPath("count(*)");
    EXPECT_TRUE(count && count->empty());
}

// Plain paths are walked without libxml2's evaluator; the explicit-axis spelling of each still goes through
// it, so both must select the same nodes in the same order.
TEST(XMLDocumentTest, PlainPathsSelectWhatTheEvaluatorSelects) {
    auto doc = XMLDocument::parse(R"(<rss xmlns:media="urn:m" xmlns:m2="urn:m"><channel>
        <item a="1" media:a="2"><title>One</title><media:group><media:content url="u1"/><m2:content url="u2"/>
          <content url="plain"/><x:content xmlns:x="urn:other" url="other"/></media:group></item>
        <item xmlns="urn:default"><title>Default</title></item>
        <item><title>Two</title><title>Three</title></item></channel></rss>)");
    ASSERT_TRUE(doc);
    auto item = doc->rootElement().firstChildElement("channel").firstChildElement("item");
    struct Case {
        XMLNode from;
        const char* plain;
        const char* evaluated;
        std::size_t count;
    };
    const XMLNode root = doc->documentNode();
    for (const Case& c :
         {Case{root, "./rss/channel/item/title", "self::node()/child::rss/child::channel/child::item/child::title", 3},
          Case{item, "self::item/media:group/media:content/@url",
               "self::item/child::media:group/child::media:content/attribute::url", 2},
          Case{item, "self::item/media:group/content", "self::item/child::media:group/child::content", 1},
          Case{item, "self::item/@media:a", "self::item/attribute::media:a", 1},
          Case{item, "self::channel/title", "self::channel/child::title", 0},
          Case{item, "self::item/title/@a/b", "self::item/child::title/attribute::a/child::b", 0}}) {
        auto plain = c.from.nodesForXPath(c.plain);
        auto evaluated = c.from.nodesForXPath(c.evaluated);
        ASSERT_TRUE(plain && evaluated) << c.plain;
        EXPECT_EQ(*plain, *evaluated) << c.plain;
        EXPECT_EQ(plain->size(), c.count) << c.plain;
    }
    ErrorPtr error;
    EXPECT_FALSE(item.nodesForXPath("self::item/undeclared:title", &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kXMLErrorUndefinedNamespacePrefix);
}

TEST(XMLDocumentTest, MalformedInputGivesAnError) {
    const std::string truncated = std::string(kDocument).substr(0, 200);
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep.insert(0, "<a>").append("</a>");
    const std::string laughs =
        R"(<?xml version="1.0"?><!DOCTYPE r [<!ENTITY a "aaaaaaaaaa">)"
        R"(<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;"><!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">)"
        R"(<!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;"><!ENTITY e "&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;">)"
        R"(<!ENTITY f "&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;"><!ENTITY g "&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;">)"
        R"(<!ENTITY h "&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;"><!ENTITY i "&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;">)"
        R"(]><r>&i;&i;&i;&i;&i;&i;&i;&i;&i;&i;</r>)";
    const std::string external =
        R"(<?xml version="1.0"?><!DOCTYPE r [<!ENTITY x SYSTEM "http://127.0.0.1:1/x">]><r>&x;</r>)";
    struct Case {
        const char* name;
        std::string data;
    };
    for (const Case& c : {Case{"empty", ""}, Case{"truncated", truncated}, Case{"html", "<html><br></html>"},
                          Case{"two roots", "<a/><b/>"}, Case{"deep", deep}, Case{"entity amplification", laughs}}) {
        ErrorPtr error;
        EXPECT_FALSE(XMLDocument::parse(c.data, &error)) << c.name;
        ASSERT_TRUE(error) << c.name;
        EXPECT_EQ(error->domain, kXMLErrorDomain) << c.name;
        EXPECT_FALSE(error->failureReason.empty()) << c.name;
    }
    // An external entity is never fetched; its reference stays unexpanded.
    auto doc = XMLDocument::parse(external);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->rootElement().stringValue(), "");
}

}  // namespace
}  // namespace movra
