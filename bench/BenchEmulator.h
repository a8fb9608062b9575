// BenchEmulator: the emulator of a benchmark program, in a temporary folder removed at the end, with its media
// generated (once, into `mediaDir`, reused by later runs) before any figure is taken; without a media folder
// it has no media. A failure ends the program with a message naming it.
#pragma once

#include "movra-backend/BackendServer.h"
#include "movra-backend/MediaLibrary.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

struct BenchEmulator {
    /// `generatedItems`: films the catalogue generates beside the sample ones.
    BenchEmulator(const std::string& program, const std::string& mediaDir, std::size_t generatedItems = 0)
        : program_(program) {
        std::string pattern = (std::filesystem::temp_directory_path() / "movra-bench-XXXXXX").string();
        directory = mkdtemp(pattern.data());
        movra::backend::BackendServer::Options options;
        options.dataDir = directory + "/emulator";
        options.mediaDir = mediaDir;
        options.generatedItems = generatedItems;
        server = std::make_unique<movra::backend::BackendServer>(options);
        if (auto error = server->start()) die("emulator: " + *error);
        if (mediaDir.empty()) return;
        if (auto error = server->media().ensure()) die("media: " + *error);
    }
    ~BenchEmulator() {
        server->stop();
        std::error_code ec;
        std::filesystem::remove_all(directory, ec);
    }
    BenchEmulator(const BenchEmulator&) = delete;
    BenchEmulator& operator=(const BenchEmulator&) = delete;

    [[noreturn]] void die(const std::string& problem) const {
        std::cerr << program_ << ": " << problem << std::endl;
        std::exit(1);
    }
    /// The longest of the emulator's assets, with its key.
    movra::backend::StreamAsset longestAsset() const {
        const auto& assets = movra::backend::MediaLibrary::catalogue();
        const auto longest = std::max_element(assets.begin(), assets.end(), [](const auto& a, const auto& b) {
            return a.durationSeconds < b.durationSeconds;
        });
        return *server->media().asset(longest->id);
    }

    std::string directory;
    std::unique_ptr<movra::backend::BackendServer> server;

  private:
    std::string program_;
};
