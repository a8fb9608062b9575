#include "Utilities/AFKissXMLResponseSerializer.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

constexpr const char* kErrorBody =
    "<result><status>Failure</status><errorCode>ST1009</errorCode><userMessage>Down</userMessage></result>";

TEST(AFKissXMLResponseSerializerTest, ValidationAndParsing) {
    struct Case {
        const char* name;
        int status;
        const char* contentType;
        std::string body;
        bool document;
        std::int64_t errorCode;  // 0: no error
        const char* description;
    };
    const Case cases[] = {
        {"ok xml", 200, "text/xml; charset=UTF-8", kErrorBody, true, 0, ""},
        {"ok rss", 204, "application/rss+xml", "<rss/>", true, 0, ""},
        {"401 not xml", 401, "application/xml", "denied", false, kURLErrorBadServerResponse,
         "Request failed: unauthorized (401)"},
        {"html", 200, "text/html", "<html><body/></html>", false, kURLErrorCannotDecodeContentData,
         "Request failed: unacceptable content-type: text/html"},
        {"unknown status", 599, "text/xml", kErrorBody, true, kURLErrorBadServerResponse,
         "Request failed: server error (599)"},
        {"malformed", 200, "text/xml", "<result><status>", false, 1, ""},
        {"empty", 200, "text/xml", "", false, 0, ""},
    };
    auto serializer = AFKissXMLResponseSerializer::serializer();
    for (const auto& c : cases) {
        HttpResponse response{c.status, "https://api.example/browse", {{"Content-Type", c.contentType}}};
        ErrorPtr error;
        auto doc = serializer->responseObjectForResponse(&response, c.body, &error);
        EXPECT_EQ(bool(doc), c.document) << c.name;
        if (c.errorCode == 0) {
            EXPECT_FALSE(error) << c.name << ": " << error->summary();
        } else if (c.errorCode == 1) {
            ASSERT_TRUE(error) << c.name;
            EXPECT_EQ(error->domain, kXMLErrorDomain) << c.name;
        } else {
            ASSERT_TRUE(error) << c.name;
            EXPECT_EQ(error->domain, kResponseSerializationErrorDomain) << c.name;
            EXPECT_EQ(error->code, c.errorCode) << c.name;
            EXPECT_EQ(error->localizedDescription, c.description) << c.name;
        }
    }
}

}  // namespace
}  // namespace movra
