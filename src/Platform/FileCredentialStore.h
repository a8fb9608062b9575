// FileCredentialStore: the keychain kept in files. Each service is one JSON object file (account ->
// value) in a private folder: the folder has mode 0700, the files 0600. Every change rewrites the
// service's file atomically (AtomicFile), so a crash leaves each entry with its old or its new value.
// A file that cannot be read or parsed is never overwritten: writes to it fail and reads find nothing.
//
// Thread contract: every member may be called from any thread. Writers in this process are serialised by
// a mutex, writers in other processes by an flock() on "<folder>/.lock"; readers need neither, since a
// file is only ever replaced whole.
#pragma once

#include "Foundation/Json.h"
#include "Platform/CredentialStore.h"

#include <functional>
#include <mutex>
#include <string>

namespace movra {

class FileCredentialStore final : public CredentialStore {
  public:
    /// Keeps its files in `directory`, which is created on the first write.
    explicit FileCredentialStore(std::string directory);

    std::optional<std::string> password(std::string_view service, std::string_view account) const override;
    ErrorPtr setPassword(std::string_view value, std::string_view service, std::string_view account) override;
    ErrorPtr deletePassword(std::string_view service, std::string_view account) override;

    /// The file of `service`: every byte other than letters, digits, "-", "_" and a "." that does not
    /// start the name is written as "%XX", so no service name can leave the folder or collide with another.
    std::string pathForService(std::string_view service) const;

  private:
    struct Loaded {
        Json entries = Json::object();
        ErrorPtr error;
    };
    Loaded load(const std::string& path) const;
    /// Read-modify-write of one service's file under both locks; `change` returns whether it changed
    /// anything.
    ErrorPtr update(std::string_view service, const std::function<bool(Json& entries)>& change);

    std::string directory_;
    std::mutex writeMutex_;
};

}  // namespace movra
