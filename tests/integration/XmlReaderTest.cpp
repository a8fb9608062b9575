// The emulator's XML reader: it reads every body as the client's own parser did before it (so the emulator
// accepts and stores exactly what it did), and a body cannot make it read anything but the body.
#include "Utilities/XMLDocument.h"
#include "movra-backend/XmlReader.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <string>

namespace movra::backend {
namespace {

// Every element as name, Name attributes, text and children, so that two trees compare as strings.
std::string describe(const XmlElement& element) {
    std::string out =
        "<" + element.name() + " Name=" + element.attribute("Name").value_or("-") + " text=[" + element.text() + "]";
    for (const XmlElement& child : element.children()) out += describe(child);
    return out + ">";
}

std::string describe(const XMLNode& node) {
    std::string out =
        "<" + node.name() + " Name=" + node.attribute("Name").value_or("-") + " text=[" + node.stringValue() + "]";
    for (const XMLNode& child : node.childElements()) out += describe(child);
    return out + ">";
}

TEST(XmlReader, ReadsBodiesAsTheClientsParserDoes) {
    const char* bodies[] = {
        "<device><type>ios</type><deviceId>8A1E</deviceId><deviceName>Anna's iPhone</deviceName></device>",
        "<request>\n  <setting Name=\"a\">  </setting>\n  <setting Name=\"b\">\n    <null></null>\n  </setting>\n"
        "  <setting Name=\"c\"> x </setting>\n</request>",
        "<request><setting Name=\"a\"><![CDATA[x<y]]></setting><setting Name=\"b\">a<!-- c -->b<?pi d?></setting>"
        "</request>",
        "<request><setting Name=\"a&amp;b &#x41;&#9;c\">&lt;&#233;&gt;</setting><setting Name=\"\"/></request>",
        "<!DOCTYPE request [<!ENTITY e \"entity text\">]><request><setting Name=\"a\">&e;</setting></request>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><request><setting Name=\"\xE5\">\xE4</setting></request>",
        "\xEF\xBB\xBF<request><setting Name=\"bom\">\xC3\xA5</setting></request>",
        "",
        "<request>&undefined;</request>",
    };
    for (const char* body : bodies) {
        SCOPED_TRACE(body);
        std::string problem;
        auto reader = XmlReader::parse(body, &problem);
        auto document = XMLDocument::parse(body);
        ASSERT_EQ(reader != nullptr, document != nullptr) << problem;
        if (!reader) {
            EXPECT_FALSE(problem.empty());
            continue;
        }
        EXPECT_EQ(describe(reader->root()), describe(document->rootElement()));
    }
}

TEST(XmlReader, LoadsNoExternalEntityOrDocumentTypeDefinition) {
    test::TemporaryDirectory directory;
    directory.write("secret", "local file contents");
    directory.write("secret.dtd", "<!ENTITY leak \"local file contents\">");
    const std::string url = "file://" + directory.file("secret");
    const std::string bodies[] = {
        "<!DOCTYPE request [<!ENTITY x SYSTEM \"" + url + "\">]><request><setting Name=\"a\">&x;</setting></request>",
        "<!DOCTYPE request [<!ENTITY % p SYSTEM \"" + url + ".dtd\"> %p;]><request>&leak;</request>",
        "<!DOCTYPE request SYSTEM \"" + url + ".dtd\"><request>&leak;</request>",
    };
    for (const std::string& body : bodies) {
        SCOPED_TRACE(body);
        std::string problem;
        auto reader = XmlReader::parse(body, &problem);
        if (reader) {
            EXPECT_EQ(describe(reader->root()).find("local file contents"), std::string::npos);
        }
    }
}

// Nine levels of tenfold references: a gigabyte of text from a body of a few hundred bytes.
TEST(XmlReader, RefusesExponentialEntityExpansion) {
    std::string body = "<!DOCTYPE request [<!ENTITY e0 \"0123456789\">";
    for (int level = 1; level <= 9; ++level) {
        body += "<!ENTITY e" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i) body += "&e" + std::to_string(level - 1) + ";";
        body += "\">";
    }
    body += "]><request><setting Name=\"a\">&e9;</setting></request>";
    std::string problem;
    EXPECT_FALSE(XmlReader::parse(body, &problem));
    EXPECT_FALSE(problem.empty());
}

}  // namespace
}  // namespace movra::backend
