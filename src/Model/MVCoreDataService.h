// MVCoreDataService: the catalogue store: one SQLite file (WAL) in the data directory, written by one
// serial writer queue and read on the main queue through the main context. Every save runs inside one
// transaction on the writer queue; once it has committed, the store posts StoreDidSaveNotification on the
// main queue and then calls the save's completion there. It is registered in the platform's object
// registry under its class, the way screens find it.
//
// Thread contract: set-up, tear-down, mainContext() and the fetch helpers belong to the main queue; the
// blocks given to the save operations run on the writer queue with the writer's context.
#pragma once

#include "Foundation/DispatchQueue.h"
#include "Foundation/Error.h"
#include "Model/StoreContext.h"

#include <functional>
#include <memory>
#include <string>

namespace movra {

class MVChannel;
class SQLiteDatabase;

class MVCoreDataService : public std::enable_shared_from_this<MVCoreDataService> {
  public:
    /// Posted on the main queue after every committed save.
    static constexpr const char* StoreDidSaveNotification = "MVCoreDataServiceDidSaveNotification";
    /// The notice's user info: the guids of the channels the save changed; absent when any may have.
    static constexpr const char* kChangedChannelsKey = "channels";
    using SaveBlock = std::function<ErrorPtr(StoreContext& context)>;

    /// The store of the data model "MovraTavik" in `directory`.
    explicit MVCoreDataService(std::string directory);
    ~MVCoreDataService();
    MVCoreDataService(const MVCoreDataService&) = delete;
    MVCoreDataService& operator=(const MVCoreDataService&) = delete;

    /// The registered service, or nullptr.
    static std::shared_ptr<MVCoreDataService> registered();
    /// Registers `store` (nullptr: none) and, with it, the import of what the API client receives.
    static void setRegistered(std::shared_ptr<MVCoreDataService> store);

    const std::string& storePath() const { return storePath_; }
    /// Opens (creating or upgrading when needed) the store file, private to the user. A file that is not a
    /// readable store is moved aside (kept for inspection, with a warning) and a new store made in its place.
    ErrorPtr setupStack();
    bool isStackOpen() const;
    /// Lets the saves already queued finish, waiting for them, then closes the store: for tear-down, not for
    /// the main queue while the app runs.
    void invalidateStack();
    /// Starts the store afresh without waiting: the main context closes at once; after the saves already
    /// queued the file and its journals are deleted and a new store made, which saves queued later use; then
    /// the main context opens again and `completion` runs, on the main queue. Only for a shared service.
    void restartStack(std::function<void(ErrorPtr)> completion = nullptr);

    /// The main queue's read context; nullptr while the stack is closed.
    StoreContext* mainContext();
    /// Runs `block` on the writer queue in one transaction (rolled back when it returns an error) and then
    /// `completion` with the error on the main queue.
    void saveInBackground(SaveBlock block, std::function<void(ErrorPtr)> completion);

    /// Deletes every stored channel and item, opening the store first when needed; `completion` runs on the
    /// main queue once the deletion committed.
    void deleteAllDataWithCompletion(std::function<void(ErrorPtr)> completion);
    /// The fresh root menu of the current language, or nullptr.
    std::shared_ptr<MVChannel> fetchRootMenuChannel();
    /// Deletes the fresh root menu of the current language, after the saves already queued.
    void deleteRootMenuChannel(std::function<void(ErrorPtr)> completion = nullptr);

  private:
    struct Writer;

    ErrorPtr openStack();
    static std::unique_ptr<SQLiteDatabase> openWriter(const std::string& path, ErrorPtr* error);
    ErrorPtr openReader();

    std::string storePath_;
    std::unique_ptr<DispatchQueue> queue_;
    std::shared_ptr<Writer> writer_;
    std::unique_ptr<SQLiteDatabase> reader_;
    std::unique_ptr<StoreContext> mainContext_;
    bool restarting_ = false;
};

}  // namespace movra
