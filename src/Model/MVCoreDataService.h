// MVCoreDataService: the catalogue store (one SQLite file in the data directory). It is registered in the
// platform's object registry under its class, the way screens find it.
//
// Thread contract: main queue for set-up and tear-down.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "Foundation/Error.h"

struct sqlite3;

namespace movra {

class MVCoreDataService {
public:
    /// The store of the data model "MovraTavik" in `directory`.
    explicit MVCoreDataService(std::string directory);
    ~MVCoreDataService();
    MVCoreDataService(const MVCoreDataService&) = delete;
    MVCoreDataService& operator=(const MVCoreDataService&) = delete;

    /// The registered service, or nullptr.
    static std::shared_ptr<MVCoreDataService> registered();

    const std::string& storePath() const { return storePath_; }
    /// Opens (creating when needed) the store file.
    ErrorPtr setupStack();
    bool isStackOpen() const { return db_ != nullptr; }
    /// Closes the store.
    void invalidateStack();
    /// Removes the store file and its journal files (the stack must be invalidated first).
    ErrorPtr deleteStoreFile();
    /// Deletes every stored channel and item.
    void deleteAllDataWithCompletion(std::function<void(ErrorPtr)> completion);
    /// Deletes the stored root menu channel.
    void deleteRootMenuChannel();

private:
    ErrorPtr exec(const std::string& sql);
    bool hasTable(const std::string& name);

    std::string storePath_;
    sqlite3* db_ = nullptr;
};

}  // namespace movra
