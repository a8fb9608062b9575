// The platform every harness runs its client code on: a real one over a fresh temporary data directory.
#pragma once

#include "Platform/Platform.h"
#include "Platform/PlatformFactory.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace movra::fuzz {

/// Installs the platform once per process and returns its data directory.
inline const std::string& installPlatform() {
    static const std::string directory = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "movra-fuzz-XXXXXX").string();
        Configuration configuration;
        configuration.dataDirectory = mkdtemp(pattern.data());
        Platform::install(makeSystemPlatform(configuration, std::make_shared<UiHost>(), LogLevel::Error));
        return configuration.dataDirectory;
    }();
    return directory;
}

}  // namespace movra::fuzz
