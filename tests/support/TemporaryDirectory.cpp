#include "support/TemporaryDirectory.h"

#include <filesystem>
#include <stdexcept>
#include <stdlib.h>
#include <vector>

namespace movra::test {

TemporaryDirectory::TemporaryDirectory() {
    auto pattern = (std::filesystem::temp_directory_path() / "movra-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
    path_ = name.data();
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace movra::test
