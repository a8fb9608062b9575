// Catalogue feeds and checks shared by the Model tests.
#pragma once

#include "Model/MVChannel.h"
#include "Utilities/XMLDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace movra::test {

// A series page as the back end sends it: three namespaces (the "stravo" URI is the reader's business, not
// ours), attributes, nested groups, several sub-records of each kind and an element we do not read.
inline constexpr const char* kSeriesFeed = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0" xmlns:stravo="http://feeds.stravo.example/rss/2" xmlns:media="http://search.yahoo.com/mrss/"
     xmlns:dcterms="http://purl.org/dc/terms/">
<channel>
  <guid>SERIES-4711</guid>
  <title>Skärgårdsdoktorn</title>
  <description>Alla avsnitt</description>
  <lastBuildDate>2015-03-01T13:30:15GMT+01:00</lastBuildDate>
  <ttl>15</ttl>
  <stravo:analyticsLabel>series_skargard</stravo:analyticsLabel>
  <stravo:totalResults>42</stravo:totalResults>
  <item>
    <title>Stormvarning</title>
    <description>Ett oväder drar in.</description>
    <link>browse/EP-1</link>
    <guid>EP-1</guid>
    <media:keywords>Series, Episode</media:keywords>
    <media:thumbnail url="https://img.example/ep1-thumb.jpg" medium="image" width="448" height="252" profile="TAVIK-THUMB"/>
    <media:thumbnail url="https://img.example/ep1-poster.jpg" medium="image" width="" profile="TAVIK-POSTER"/>
    <media:group>
      <media:content url="https://cdn.example/ep1/audio.m3u8" medium="audio" profile="MVTK-HLS-FPS" duration="2700"/>
      <media:content url="https://cdn.example/ep1.ism/manifest" type="application/vnd.ms-sstr+xml" medium="video"
                     profile="MVTK-SMOOTH-PlayReady" expression="full" duration="2700" width="1280" height="720"
                     bitrate="3500" media:status="active"/>
      <media:content url="https://cdn.example/ep1/master.m3u8" type="application/x-mpegURL" medium="video"
                     profile="mvtk-hls-fps" expression="full" duration="2700" width="1920" height="1080" bitrate="6000"/>
      <media:thumbnail url="https://img.example/ep1-banner.jpg" profile="MVTK-MOVIE-BANNER-640-257"/>
    </media:group>
    <media:subTitle type="text/vtt" lang="sv" href="https://cdn.example/ep1/sv.vtt"><profile>WEBVTT</profile></media:subTitle>
    <media:subTitle type="text/vtt" lang="en" href="https://cdn.example/ep1/en.vtt"/>
    <media:rating scheme="urn:mpaa">NR</media:rating>
    <media:rating scheme="urn:se-rating">11</media:rating>
    <media:credit role="director">Anna Berg</media:credit>
    <media:credit role="actor">Erik <b>Lund</b></media:credit>
    <media:price type="rent" price="29.00" info="currency=SEK;bookmark=754s"/>
    <stravo:itemType>Media</stravo:itemType>
    <stravo:bookmark>754</stravo:bookmark>
    <stravo:savedAsset>TRUE</stravo:savedAsset>
    <stravo:shortcutToGuid></stravo:shortcutToGuid>
    <stravo:parentGuid>SEASON-1</stravo:parentGuid>
    <stravo:series>Skärgårdsdoktorn</stravo:series>
    <stravo:season>1</stravo:season>
    <stravo:episodeInSeason>3</stravo:episodeInSeason>
    <stravo:tagline><position>Upper Right</position><color>#FF8800</color><line1>Nytt</line1><line2>avsnitt</line2></stravo:tagline>
    <dcterms:valid>start=2015-01-01</dcterms:valid>
  </item>
  <item>
    <title>9 till 5</title>
    <guid>FOLDER-9</guid>
    <stravo:itemType>FOLDER</stravo:itemType>
    <media:keywords>Shelf, carousel</media:keywords>
  </item>
</channel>
</rss>)";

/// The channel dictionary of a feed text; fails the test when there is none.
inline Json channelDictionary(const std::string& feed) {
    ErrorPtr error;
    auto dictionary = MVChannel::dictionaryFromDocument(XMLDocument::parse(feed), &error);
    EXPECT_TRUE(dictionary) << (error ? error->summary() : "no channel");
    return dictionary.value_or(Json::object());
}

/// The dictionary of one item element with `elements` inside, read as the feed import reads it.
inline Json itemDictionary(const std::string& elements) {
    auto channel = channelDictionary(R"(<rss xmlns:stravo="urn:s" xmlns:media="urn:m"><channel><guid>CH</guid><item>)" +
                                     elements + "</item></channel></rss>");
    auto items = channel.find("items");
    return items != channel.end() && items->is_array() && !items->empty() ? items->front() : Json::object();
}

}  // namespace movra::test
