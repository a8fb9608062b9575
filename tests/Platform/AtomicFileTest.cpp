// Private folders: made 0700, and tightened to 0700 when an earlier run or another program left them open.
#include "Platform/AtomicFile.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace movra {
namespace {

TEST(AtomicFile, PrivateDirectoryEndsUpReadableByTheUserAlone) {
    const struct {
        const char* name;
        const char* path;
        int existingMode;  // -1: not there yet
    } cases[] = {
        {"new", "data", -1},
        {"new with missing parents", "a/b/data", -1},
        {"existing, open to others", "data", 0755},
        {"existing, group-writable", "data/", 0770},
        {"existing, private", "data", 0700},
    };
    const mode_t oldMask = ::umask(0);  // the mode must not depend on the caller's umask
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TemporaryDirectory temp;
        const auto path = temp.file(c.path);
        if (c.existingMode >= 0) {
            std::filesystem::create_directories(path);
            ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(c.existingMode)), 0);
        }
        EXPECT_EQ(AtomicFile::makePrivateDirectory(path), nullptr);
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0700u);
    }
    ::umask(oldMask);
}

TEST(AtomicFile, ASharedStickyFolderIsRefusedAndLeftAsItIs) {
    test::TemporaryDirectory temp;
    const auto path = temp.file("shared");
    std::filesystem::create_directories(path);
    ASSERT_EQ(::chmod(path.c_str(), 01777), 0);
    EXPECT_NE(AtomicFile::makePrivateDirectory(path), nullptr);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 01777u);
}

}  // namespace
}  // namespace movra
