#include "Platform/FileCredentialStore.h"

#include "Foundation/Log.h"
#include "Platform/AtomicFile.h"
#include "Platform/FileLock.h"

#include <cerrno>

namespace movra {

namespace {

bool isSafeFileNameByte(unsigned char c, bool first) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           (c == '.' && !first);
}

ErrorPtr corruptFileError(const std::string& path, const std::string& why) {
    return makeError(kPOSIXErrorDomain, EBADMSG, "Keychain file " + path + " is damaged: " + why);
}

}  // namespace

FileCredentialStore::FileCredentialStore(std::string directory) : directory_(std::move(directory)) {}

std::string FileCredentialStore::pathForService(std::string_view service) const {
    static const char* hex = "0123456789ABCDEF";
    // "%" alone is never produced by the escaping below, so the empty name gets a file of its own.
    std::string name = service.empty() ? "%" : "";
    for (std::size_t i = 0; i < service.size(); ++i) {
        auto c = static_cast<unsigned char>(service[i]);
        if (isSafeFileNameByte(c, i == 0)) {
            name += static_cast<char>(c);
        } else {
            name += '%';
            name += hex[c >> 4];
            name += hex[c & 15];
        }
    }
    return directory_ + "/" + name + ".json";
}

FileCredentialStore::Loaded FileCredentialStore::load(const std::string& path) const {
    auto read = AtomicFile::read(path);
    if (read.error) return {Json::object(), read.error};
    if (!read.contents) return {};
    auto json = Json::parse(*read.contents, nullptr, /*allow_exceptions=*/false);
    if (json.is_discarded() || !json.is_object()) return {Json::object(), corruptFileError(path, "not a JSON object")};
    for (const auto& [account, value] : json.items())
        if (!value.is_string())
            return {Json::object(), corruptFileError(path, "value of \"" + account + "\" is not text")};
    return {std::move(json), nullptr};
}

std::optional<std::string> FileCredentialStore::password(std::string_view service, std::string_view account) const {
    auto loaded = load(pathForService(service));
    if (loaded.error) {
        Log::error("Cannot read keychain: {}", loaded.error->summary());
        return std::nullopt;
    }
    auto it = loaded.entries.find(account);
    if (it == loaded.entries.end()) return std::nullopt;
    return it->get<std::string>();
}

ErrorPtr FileCredentialStore::setPassword(std::string_view value, std::string_view service, std::string_view account) {
    return update(service, [&](Json& entries) {
        entries[std::string(account)] = std::string(value);
        return true;
    });
}

ErrorPtr FileCredentialStore::deletePassword(std::string_view service, std::string_view account) {
    return update(service, [&](Json& entries) {
        auto it = entries.find(account);
        if (it == entries.end()) return false;
        entries.erase(it);
        return true;
    });
}

ErrorPtr FileCredentialStore::update(std::string_view service, const std::function<bool(Json& entries)>& change) {
    std::lock_guard guard(writeMutex_);
    if (auto e = AtomicFile::makePrivateDirectory(directory_)) return e;
    FileLock lock(directory_ + "/.lock");
    if (lock.error()) return lock.error();

    const auto path = pathForService(service);
    auto loaded = load(path);
    // A damaged file may still hold entries someone can recover; replacing it would lose them for good.
    if (loaded.error) return loaded.error;
    if (!change(loaded.entries)) return nullptr;
    std::string text;
    try {
        text = loaded.entries.dump(2);
    } catch (const Json::exception&) {
        return makeError(kPOSIXErrorDomain, EILSEQ, "Keychain values and accounts must be UTF-8 text");
    }
    return AtomicFile::write(path, text + "\n");
}

}  // namespace movra
