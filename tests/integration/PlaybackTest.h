// PlaybackTest: fixture of the emulator's playback tests: an emulator whose media comes from one folder
// shared by every test process (generated once, by the first test that needs it), a signed-in device,
// and the session and key requests as the client sends them.
#pragma once

#include "CatalogueTest.h"

#include <string>

namespace movra::backend {

class PlaybackTest : public CatalogueTest {
  protected:
    /// A film and an episode that has a next one.
    static constexpr const char* kFilm = "film-frost-line";
    static constexpr const char* kEpisode = "series-coastline-s1e01";
    static constexpr const char* kNextEpisode = "series-coastline-s1e02";

    void SetUp() override;
    /// The emulator's options with the shared media folder.
    static BackendServer::Options options();
    /// The folder every emulator of the tests takes its media from.
    static const std::string& sharedMediaDir();

    /// Path and query of `guid`'s native media content URL as its feed declares it.
    std::string sessionTarget(const std::string& guid) const;
    /// A session request on `guid` as the client sends it: GET adds responseType=xml, every verb the
    /// language; `extra` ("bookmarkSecs=12") goes into the query.
    httplib::Result session(const std::string& method, const std::string& guid, const std::string& token,
                            const std::string& deviceId = kDeviceId, const std::string& extra = {}) const;
    /// A key request for `keyId` of title `assetId` with `body`, from the signed-in device.
    httplib::Result keyRequest(const std::string& keyId, const std::string& assetId, const std::string& body) const;
    /// The key request body the client builds: the certificate's SHA-256, then the content identifier.
    std::string keyRequestBody(const std::string& keyId) const;
    /// GET of a media path ("aurora/master.m3u8").
    httplib::Result media(const std::string& path) const;
    /// POST of a faults document to the control endpoint; fails the test when it is refused.
    void setFaults(const Json& document) const;

    std::string token_;
};

}  // namespace movra::backend
