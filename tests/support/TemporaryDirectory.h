// TemporaryDirectory: a fresh folder under the system's temporary directory, removed with its contents
// when the object goes away.
#pragma once

#include <string>

namespace movra::test {

class TemporaryDirectory {
  public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& path() const { return path_; }
    /// `path()` + "/" + `name`.
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    /// The bytes of file `name` ("" when it cannot be read).
    std::string read(const std::string& name) const;
    /// Replaces file `name` with `contents`, without any of the care the code under test takes.
    void write(const std::string& name, const std::string& contents) const;

  private:
    std::string path_;
};

}  // namespace movra::test
