// The log file is the user's alone, whether it is new or an earlier run left it open to others.
#include "Foundation/Log.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace movra {
namespace {

TEST(Log, LogFileIsReadableByTheUserAlone) {
    test::TemporaryDirectory temp;
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "left open by an earlier run" : "new");
        const auto path = temp.file(existing ? "old.log" : "new.log");
        if (existing) {
            temp.write("old.log", "earlier run\n");
            ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
        }
        Log::setup(path, LogLevel::Error);
        Log::error("written");
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0600u);
    }
    Log::setup("", LogLevel::Warning);
    EXPECT_EQ(temp.read("old.log").substr(0, 12), "earlier run\n");  // appended to, not replaced
}

}  // namespace
}  // namespace movra
