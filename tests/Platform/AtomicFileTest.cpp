// Private folders: made 0700, tightened to 0700 when an earlier run or another program left them open, and
// a shared sticky folder refused rather than taken over.
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
        unsigned finalMode;
    } cases[] = {
        {"new with missing parents", "a/b/data", -1, 0700},
        {"existing, open to others", "data", 0755, 0700},
        {"existing, group-writable", "data/", 0770, 0700},
        {"shared and sticky: refused, left as it is", "data", 01777, 01777},
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
        EXPECT_EQ(AtomicFile::makePrivateDirectory(path) == nullptr, c.finalMode == 0700);
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, c.finalMode);
    }
    ::umask(oldMask);
}

}  // namespace
}  // namespace movra
