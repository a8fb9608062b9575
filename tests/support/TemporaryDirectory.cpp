#include "support/TemporaryDirectory.h"

#include <filesystem>
#include <fstream>
#include <sstream>
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

std::string TemporaryDirectory::read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void TemporaryDirectory::write(const std::string& name, const std::string& contents) const {
    std::ofstream(file(name), std::ios::binary) << contents;
}

}  // namespace movra::test
