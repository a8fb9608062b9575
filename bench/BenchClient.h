// BenchClient: the emulator of a benchmark program with the client's platform installed on it (no video or
// audio output), the shared API client made for it, and the sample subscriber signed in.
#pragma once

#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "BenchEmulator.h"
#include "Platform/Platform.h"
#include "Platform/PlatformFactory.h"

#include <memory>
#include <string>

struct BenchClient : BenchEmulator {
    static constexpr double kStepTimeoutSeconds = 30;

    /// `mediaDir` empty: an emulator without media.
    BenchClient(const std::string& program, const std::string& mediaDir, std::size_t generatedItems = 0)
        : BenchEmulator(program, mediaDir, generatedItems) {
        movra::Configuration configuration;
        configuration.dataDirectory = directory + "/client";
        configuration.caFile = server->caFile();
        configuration.drmCertificateFile = server->drmCertificateFile();
        configuration.videoOutput = "none";
        configuration.audioOutput = "none";
        movra::Platform::install(
            movra::makeSystemPlatform(configuration, std::make_shared<movra::UiHost>(), movra::LogLevel::Error));
        movra::MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", server->baseHost()}, {"name", "MVTK"}});
        client = movra::MVHTTPClient::initSharedClientWithHost(server->baseHost());
        signIn();
    }
    ~BenchClient() {
        // The client belongs to the platform's world: it goes before the platform does.
        client.reset();
        movra::Platform::uninstall();
    }

    std::shared_ptr<movra::MVHTTPClient> client;

  private:
    void signIn() {
        bool done = false;
        movra::ErrorPtr failure;
        client->loginSubscriberWithUserName("anna.lindqvist@tavik.example", "Anna-tavik-1",
                                            [&](movra::ErrorPtr error, movra::XMLDocumentPtr) {
                                                failure = error;
                                                done = true;
                                            });
        movra::Platform::current().mainQueue().runUntil([&] { return done; }, kStepTimeoutSeconds);
        if (!done || failure) die("sign-in failed: " + (failure ? failure->summary() : std::string("no answer")));
    }
};
