#include "Model/MVCoreDataService.h"

#include <filesystem>

#include <sqlite3.h>

#include "Foundation/Log.h"
#include "Platform/Platform.h"

namespace movra {

namespace {
ErrorPtr storeError(const std::string& message) { return makeError("MVCoreDataService", 1, message); }
}  // namespace

MVCoreDataService::MVCoreDataService(std::string directory)
    : storePath_((std::filesystem::path(directory) / "MovraTavik.sqlite").string()) {}

MVCoreDataService::~MVCoreDataService() { invalidateStack(); }

std::shared_ptr<MVCoreDataService> MVCoreDataService::registered() {
    return Platform::current().object<MVCoreDataService>();
}

ErrorPtr MVCoreDataService::setupStack() {
    if (db_) return nullptr;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(storePath_).parent_path(), ec);
    if (sqlite3_open_v2(storePath_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        auto error = storeError("Cannot open the catalogue store " + storePath_ + ": " +
                                (db_ ? sqlite3_errmsg(db_) : "out of memory"));
        sqlite3_close(db_);
        db_ = nullptr;
        Log::error("{}", error->localizedDescription);
        return error;
    }
    return exec("PRAGMA journal_mode=WAL");
}

void MVCoreDataService::invalidateStack() {
    if (!db_) return;
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

ErrorPtr MVCoreDataService::deleteStoreFile() {
    invalidateStack();
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(storePath_ + suffix, ec);
        if (ec) return storeError("Cannot delete " + storePath_ + suffix + ": " + ec.message());
    }
    return nullptr;
}

ErrorPtr MVCoreDataService::exec(const std::string& sql) {
    if (!db_) return storeError("The catalogue store is not open");
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        auto error = storeError(message ? message : "SQLite error");
        sqlite3_free(message);
        return error;
    }
    return nullptr;
}

bool MVCoreDataService::hasTable(const std::string& name) {
    if (!db_) return false;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT 1 FROM sqlite_master WHERE type='table' AND name=?", -1, &stmt, nullptr) !=
        SQLITE_OK)
        return false;
    sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
    sqlite3_finalize(stmt);
    return found;
}

void MVCoreDataService::deleteAllDataWithCompletion(std::function<void(ErrorPtr)> completion) {
    ErrorPtr error;
    if (!db_) error = setupStack();
    for (const char* table : {"Item", "Channel"}) {
        if (!error && hasTable(table)) error = exec(std::string("DELETE FROM ") + table);
    }
    if (error) Log::error("Deleting the catalogue failed: {}", error->localizedDescription);
    if (completion) completion(error);
}

void MVCoreDataService::deleteRootMenuChannel() {
    if (!db_ && setupStack()) return;
    if (!hasTable("Channel")) return;
    if (auto error = exec("DELETE FROM Channel WHERE guid = 'ROOT'"))
        Log::error("Deleting the root menu failed: {}", error->localizedDescription);
}

}  // namespace movra
