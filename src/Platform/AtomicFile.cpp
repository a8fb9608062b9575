#include "Platform/AtomicFile.h"

#include "Foundation/Log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace movra {

namespace {

int openRetrying(const char* path, int flags) {
    int fd;
    do fd = ::open(path, flags);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

ErrorPtr AtomicFile::systemError(const std::string& what, const std::string& path, int errorNumber) {
    return makeError(kPOSIXErrorDomain, errorNumber, "Cannot " + what + " " + path + ": " + std::strerror(errorNumber));
}

void AtomicFile::setAside(const std::string& path, const std::string& what, const std::string& why) {
    const auto aside = path + ".corrupt";
    Log::error("{} {} is unreadable ({}); moved to {}", what, path, why, aside);
    if (std::rename(path.c_str(), aside.c_str()) != 0)
        Log::error("Cannot move {} aside: {}", path, std::strerror(errno));
}

AtomicFile::ReadResult AtomicFile::read(const std::string& path) {
    int fd = openRetrying(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return {};  // no such file
        return {std::nullopt, systemError("open", path, errno)};
    }
    std::string contents;
    char buffer[16384];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            int saved = errno;
            ::close(fd);
            return {std::nullopt, systemError("read", path, saved)};
        }
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return {std::move(contents), nullptr};
}

ErrorPtr AtomicFile::write(const std::string& path, std::string_view contents) {
    const std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    // A hidden name in the same folder: rename() is only atomic within one file system.
    std::string pattern = (folder / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return systemError("create a temporary file for", path, errno);

    auto fail = [&](const char* what) {
        int saved = errno;
        if (fd >= 0) ::close(fd);
        ::unlink(temp.data());
        return systemError(what, path, saved);
    };
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0) return fail("set the mode of");
    if (!writeAll(fd, contents)) return fail("write");
    // The data must be on disk before the rename makes it the file's contents.
    if (::fsync(fd) != 0) return fail("flush");
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail("close");
    if (::rename(temp.data(), path.c_str()) != 0) return fail("replace");

    // Persist the rename itself. The new contents are already in place, so a failure here is only logged.
    int dir = openRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || ::fsync(dir) != 0) Log::warning("Cannot flush folder {}: {}", folder.string(), std::strerror(errno));
    if (dir >= 0) ::close(dir);
    return nullptr;
}

ErrorPtr AtomicFile::makePrivateDirectory(const std::string& path) {
    std::error_code ec;
    std::filesystem::path dir(path);
    if (!dir.has_filename()) dir = dir.parent_path();  // "a/b/" names "a/b"
    if (std::filesystem::is_directory(dir, ec)) return tightenDirectory(dir.string());
    if (dir.has_parent_path()) std::filesystem::create_directories(dir.parent_path(), ec);
    if (::mkdir(dir.c_str(), S_IRWXU) != 0) {
        if (errno == EEXIST && std::filesystem::is_directory(dir, ec)) return tightenDirectory(dir.string());
        return systemError("create folder", path, errno);
    }
    // mkdir's mode passes through the umask; say exactly what we mean.
    if (::chmod(dir.c_str(), S_IRWXU) != 0) return systemError("set the mode of", path, errno);
    return nullptr;
}

ErrorPtr AtomicFile::tightenDirectory(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return systemError("inspect", path, errno);
    if ((status.st_mode & 07777) == S_IRWXU) return nullptr;
    // A folder of someone else's, or a shared one like /tmp (sticky), is not ours to close: as root this
    // would lock every other user out of it.
    if (status.st_uid != ::geteuid() || (status.st_mode & S_ISVTX))
        return makeError(kPOSIXErrorDomain, EPERM, "Cannot keep files private in " + path + ": the folder is shared");
    if (::chmod(path.c_str(), S_IRWXU) != 0) return systemError("set the mode of", path, errno);
    return nullptr;
}

}  // namespace movra
