// The session answer's mapping: cue points in milliseconds stored as whole seconds, the countdown, the URL and
// the channel read from the result element itself.
#include "Model/MVStreamingSessionResponse.h"
#include "Utilities/MTLXMLAdapter.h"
#include "Utilities/XMLDocument.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

std::shared_ptr<MVStreamingSessionResponse> mapped(const std::string& body, ErrorPtr* error = nullptr) {
    auto document = XMLDocument::parse("<?xml version=\"1.0\"?><result xmlns:stravo=\"http://stravo.test/ns\">" + body +
                                       "</result>");
    EXPECT_TRUE(document);
    return MTLXMLAdapter::modelOfClass<MVStreamingSessionResponse>(document->documentNode(), error);
}

TEST(StreamingSessionResponseTest, SuccessfulAnswer) {
    test::TestPlatform env;
    ErrorPtr error;
    auto response = mapped(R"(<status>success</status><url>https://media.test/a/master.m3u8?t=1</url>
        <realm>r1</realm><systemMessage>ok</systemMessage>
        <stravo:chainplayTimer>12</stravo:chainplayTimer>
        <stravo:cuePoints>
          <stravo:cuePoint type="chainplay">90500</stravo:cuePoint>
          <stravo:cuePoint type="credits">5999</stravo:cuePoint>
          <stravo:cuePoint>-1500</stravo:cuePoint>
        </stravo:cuePoints>
        <guid>chain</guid><title>Next up</title>
        <item><guid>next-1</guid><title>Episode 2</title></item>
        <item><guid>next-2</guid><title>Episode 3</title></item>)",
                           &error);
    ASSERT_TRUE(response) << (error ? error->summary() : "");
    EXPECT_EQ(response->status(), "success");
    EXPECT_EQ(response->url(), "https://media.test/a/master.m3u8?t=1");
    EXPECT_EQ(response->realm(), "r1");
    EXPECT_EQ(response->chainplayTimer(), 12);
    ASSERT_EQ(response->cuePoints().size(), 3u);
    EXPECT_EQ(response->cuePoints()[0]->cueType(), "chainplay");
    EXPECT_EQ(response->cuePoints()[0]->position(), 90);  // 90.5 s fires at second 90
    EXPECT_EQ(response->cuePoints()[1]->position(), 5);
    EXPECT_EQ(response->cuePoints()[2]->position(), -1);  // truncated toward zero
    EXPECT_FALSE(response->cuePoints()[2]->cueType());
    ASSERT_TRUE(response->channel());
    ASSERT_EQ(response->channel()->items().size(), 2u);
    EXPECT_EQ(response->channel()->items().front()->guid(), "next-1");
}

TEST(StreamingSessionResponseTest, ErrorAnswerHasNoCountdownCuePointsOrItems) {
    test::TestPlatform env;
    auto response =
        mapped("<status>failure</status><errorCode>ST2002</errorCode><userMessage>Pay</userMessage><url> </url>");
    ASSERT_TRUE(response);
    EXPECT_EQ(response->errorCode(), "ST2002");
    EXPECT_EQ(response->userMessage(), "Pay");
    EXPECT_FALSE(response->chainplayTimer());
    EXPECT_FALSE(response->url());
    EXPECT_TRUE(response->cuePoints().empty());
    ASSERT_TRUE(response->channel());
    EXPECT_TRUE(response->channel()->items().empty());
}

}  // namespace
}  // namespace movra
