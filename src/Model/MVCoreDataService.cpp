#include "Model/MVCoreDataService.h"

#include <filesystem>
#include <future>
#include <mutex>

#include "App/MVTavikLocale.h"
#include "Foundation/Log.h"
#include "Foundation/ThreadPoolQueue.h"
#include "Model/MVChannel.h"
#include "Model/SQLiteDatabase.h"
#include "Platform/Platform.h"

namespace movra {

namespace {

constexpr const char* kRootMenuGuid = "ROOT";

ErrorPtr storeError(const std::string& message) { return makeError("MVCoreDataService", 1, message); }

}  // namespace

/// The writer's connection, shared with the queued saves so that they never outlive it.
struct MVCoreDataService::Writer {
    std::mutex mutex;
    std::unique_ptr<SQLiteDatabase> database;
};

MVCoreDataService::MVCoreDataService(std::string directory)
    : storePath_((std::filesystem::path(directory) / "MovraTavik.sqlite").string()),
      queue_(std::make_unique<ThreadPoolQueue>("store writer", 1)),
      writer_(std::make_shared<Writer>()) {}

MVCoreDataService::~MVCoreDataService() { invalidateStack(); }

std::shared_ptr<MVCoreDataService> MVCoreDataService::registered() {
    return Platform::current().object<MVCoreDataService>();
}

ErrorPtr MVCoreDataService::setupStack() {
    if (isStackOpen()) return nullptr;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(storePath_).parent_path(), ec);
    ErrorPtr error;
    auto writer = SQLiteDatabase::open(storePath_, SQLiteDatabase::Mode::ReadWrite, &error);
    if (writer) error = writer->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
    if (writer) writer->deferCheckpoints();
    if (!error) error = StoreContext::prepareSchema(*writer);
    std::unique_ptr<SQLiteDatabase> reader;
    if (!error) reader = SQLiteDatabase::open(storePath_, SQLiteDatabase::Mode::ReadOnly, &error);
    if (error) {
        Log::error("Cannot open the catalogue store {}: {}", storePath_, error->summary());
        return error;
    }
    {
        std::lock_guard lock(writer_->mutex);
        writer_->database = std::move(writer);
    }
    reader_ = std::move(reader);
    mainContext_ = std::make_unique<StoreContext>(*reader_);
    return nullptr;
}

bool MVCoreDataService::isStackOpen() const { return reader_ != nullptr; }

void MVCoreDataService::invalidateStack() {
    if (!isStackOpen()) return;
    // Saves already queued finish first; later ones find no connection.
    queue_->sync([] {});
    {
        std::lock_guard lock(writer_->mutex);
        writer_->database.reset();
    }
    mainContext_.reset();
    reader_.reset();
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

StoreContext* MVCoreDataService::mainContext() { return mainContext_.get(); }

void MVCoreDataService::saveInBackground(SaveBlock block, std::function<void(ErrorPtr)> completion) {
    queue_->async([writer = writer_, block = std::move(block), completion = std::move(completion)] {
        ErrorPtr error;
        {
            std::lock_guard lock(writer->mutex);
            if (!writer->database) {
                error = storeError("The catalogue store is closed");
            } else {
                StoreContext context(*writer->database);
                error = writer->database->transaction([&] { return block(context); });
            }
        }
        if (error) Log::error("Saving to the catalogue store failed: {}", error->summary());
        Platform::current().mainQueue().post([error, completion] {
            if (!error) Platform::current().notificationCenter().post(StoreDidSaveNotification);
            if (completion) completion(error);
        });
        // Once the result is on its way: the checkpoint then overlaps the main queue's reading of it.
        std::lock_guard lock(writer->mutex);
        if (writer->database) writer->database->checkpointIfDue();
    });
}

ErrorPtr MVCoreDataService::saveInBackgroundAndWait(SaveBlock block) {
    auto done = std::make_shared<std::promise<ErrorPtr>>();
    auto result = done->get_future();
    queue_->async([writer = writer_, block = std::move(block), done] {
        std::lock_guard lock(writer->mutex);
        if (!writer->database) return done->set_value(storeError("The catalogue store is closed"));
        StoreContext context(*writer->database);
        done->set_value(writer->database->transaction([&] { return block(context); }));
        writer->database->checkpointIfDue();
    });
    ErrorPtr error = result.get();
    if (!error) {
        Platform::current().mainQueue().post([] {
            Platform::current().notificationCenter().post(StoreDidSaveNotification);
        });
    }
    return error;
}

void MVCoreDataService::deleteAllDataWithCompletion(std::function<void(ErrorPtr)> completion) {
    ErrorPtr error = setupStack();
    if (!error) error = saveInBackgroundAndWait([](StoreContext& context) { return context.deleteAll(); });
    if (error) Log::error("Deleting the catalogue failed: {}", error->summary());
    if (completion) completion(error);
}

std::shared_ptr<MVChannel> MVCoreDataService::fetchRootMenuChannel() {
    if (!mainContext_) return nullptr;
    return mainContext_->fetchChannel(kRootMenuGuid, MVTavikLocale::mvtk_preferredLanguageString(),
                                      Platform::current().clock().secondsSince1970());
}

void MVCoreDataService::deleteRootMenuChannel() {
    if (setupStack()) return;
    const auto language = MVTavikLocale::mvtk_preferredLanguageString();
    const double now = Platform::current().clock().secondsSince1970();
    if (auto error = saveInBackgroundAndWait([language, now](StoreContext& context) {
            return context.deleteChannels(kRootMenuGuid, language, now);
        }))
        Log::error("Deleting the root menu failed: {}", error->summary());
}

}  // namespace movra
