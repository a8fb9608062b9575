#include "Model/MVCoreDataService.h"

#include "Foundation/Log.h"
#include "Foundation/MainQueue.h"
#include "Foundation/ThreadPoolQueue.h"
#include "Model/MVCatalogueImport.h"
#include "Model/MVChannel.h"
#include "Model/SQLiteDatabase.h"
#include "Platform/Platform.h"
#include "Utilities/MVTavikLocale.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace movra {

namespace {

constexpr const char* kRootMenuGuid = "ROOT";

ErrorPtr storeError(const std::string& message) { return makeError("MVCoreDataService", 1, message); }

/// Whether opening failed on the file's content (not a database, or damaged) rather than on access to it.
bool isUnreadableStoreError(const Error& error) {
    const auto primary = error.code & 0xff;
    return error.domain == "SQLite" && (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB);
}

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

void MVCoreDataService::setRegistered(std::shared_ptr<MVCoreDataService> store) {
    auto& platform = Platform::current();
    MVCatalogueImporting::setRegistered(store ? std::make_shared<MVCatalogueImport>() : nullptr);
    platform.setObject(std::move(store));
}

ErrorPtr MVCoreDataService::setupStack() {
    MOVRA_ASSERT_MAIN_QUEUE();
    // A restart under way opens the store itself.
    if (isStackOpen() || restarting_) return nullptr;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(storePath_).parent_path(), ec);
    auto error = openStack();
    if (error && isUnreadableStoreError(*error)) {
        // The store is a cache of the catalogue: one that cannot be read is kept for inspection and replaced.
        const auto aside = storePath_ + ".unreadable-" +
                           std::to_string(static_cast<long long>(Platform::current().clock().secondsSince1970()));
        Log::warning("The catalogue store {} cannot be read ({}); it is moved to {} and a new one is made", storePath_,
                     error->summary(), aside);
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::filesystem::rename(storePath_ + suffix, aside + suffix, ec);
            if (ec && ec != std::errc::no_such_file_or_directory)
                return storeError("Cannot move the unreadable store " + storePath_ + suffix +
                                  " aside: " + ec.message());
        }
        error = openStack();
    }
    if (error) Log::error("Cannot open the catalogue store {}: {}", storePath_, error->summary());
    return error;
}

std::unique_ptr<SQLiteDatabase> MVCoreDataService::openWriter(const std::string& path, ErrorPtr* error) {
    // SQLite gives the journal files the mode of the store file, so the store is made private before it opens.
    if (int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600); fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
    }
    auto writer = SQLiteDatabase::open(path, SQLiteDatabase::Mode::ReadWrite, error);
    if (!writer) return nullptr;
    *error = writer->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
    if (!*error) *error = StoreContext::prepareSchema(*writer);
    if (*error) return nullptr;
    writer->deferCheckpoints();
    return writer;
}

ErrorPtr MVCoreDataService::openReader() {
    ErrorPtr error;
    auto reader = SQLiteDatabase::open(storePath_, SQLiteDatabase::Mode::ReadOnly, &error);
    if (!reader) return error;
    reader_ = std::move(reader);
    mainContext_ = std::make_unique<StoreContext>(*reader_);
    return nullptr;
}

ErrorPtr MVCoreDataService::openStack() {
    ErrorPtr error;
    auto writer = openWriter(storePath_, &error);
    if (!writer) return error;
    {
        std::lock_guard lock(writer_->mutex);
        writer_->database = std::move(writer);
    }
    if ((error = openReader())) {
        std::lock_guard lock(writer_->mutex);
        writer_->database.reset();
    }
    return error;
}

bool MVCoreDataService::isStackOpen() const { return reader_ != nullptr; }

void MVCoreDataService::invalidateStack() {
    MOVRA_ASSERT_MAIN_QUEUE();
    if (!isStackOpen()) return;
    // Saves already queued finish first; later ones find no connection. The writer closes last, so that it
    // folds the write-ahead log into the file and removes it.
    queue_->sync([] {});
    mainContext_.reset();
    reader_.reset();
    {
        std::lock_guard lock(writer_->mutex);
        writer_->database.reset();
    }
}

void MVCoreDataService::restartStack(std::function<void(ErrorPtr)> completion) {
    MOVRA_ASSERT_MAIN_QUEUE();
    restarting_ = true;
    mainContext_.reset();
    reader_.reset();
    // The writer starts afresh after the saves already queued, and before any queued later.
    queue_->async([writer = writer_, path = storePath_, weak = weak_from_this(), completion] {
        ErrorPtr error;
        {
            std::lock_guard lock(writer->mutex);
            writer->database.reset();
            std::error_code ec;
            for (const char* suffix : {"", "-wal", "-shm"}) {
                std::filesystem::remove(path + suffix, ec);
                if (ec && !error) error = storeError("Cannot delete " + path + suffix + ": " + ec.message());
            }
            if (!error) writer->database = openWriter(path, &error);
        }
        Platform::current().mainQueue().post([weak, error, completion] {
            auto self = weak.lock();
            ErrorPtr result = error;
            if (self) {
                self->restarting_ = false;
                if (!result) result = self->openReader();
            }
            if (result) Log::error("The catalogue store did not start afresh: {}", result->summary());
            if (completion) completion(result);
        });
    });
}

StoreContext* MVCoreDataService::mainContext() {
    MOVRA_ASSERT_MAIN_QUEUE();
    return mainContext_.get();
}

void MVCoreDataService::saveInBackground(SaveBlock block, std::function<void(ErrorPtr)> completion) {
    // Taken here, on the caller's thread: the writer must not look the platform up, which may be gone (a
    // world torn down with a save under way); a closed queue refuses the post instead.
    const RunLoopHandle main = Platform::current().mainQueue().handle();
    queue_->async([writer = writer_, main, block = std::move(block), completion = std::move(completion)]() mutable {
        ErrorPtr error;
        Json changes = Json::object();
        {
            std::lock_guard lock(writer->mutex);
            if (!writer->database) {
                error = storeError("The catalogue store is closed");
            } else {
                StoreContext context(*writer->database);
                error = writer->database->transaction([&] { return block(context); });
                if (auto channels = context.takeChangedChannels())
                    changes[kChangedChannelsKey] = Json(std::vector<std::string>(channels->begin(), channels->end()));
            }
        }
        if (error) Log::error("Saving to the catalogue store failed: {}", error->summary());
        // The completion moves on whole, so that what it holds (the store, say) is released on the main queue.
        main.post([error, changes = std::move(changes), completion = std::move(completion)] {
            if (!error)
                Platform::current().notificationCenter().post(StoreDidSaveNotification, nullptr, std::move(changes));
            if (completion) completion(error);
        });
        // Once the result is on its way: the checkpoint then overlaps the main queue's reading of it.
        std::lock_guard lock(writer->mutex);
        if (writer->database) writer->database->checkpointIfDue();
    });
}

void MVCoreDataService::deleteAllDataWithCompletion(std::function<void(ErrorPtr)> completion) {
    // Without an open store the save fails with the store's error, which the completion gets.
    setupStack();
    saveInBackground([](StoreContext& context) { return context.deleteAll(); },
                     [completion](ErrorPtr error) {
                         if (error) Log::error("Deleting the catalogue failed: {}", error->summary());
                         if (completion) completion(error);
                     });
}

std::shared_ptr<MVChannel> MVCoreDataService::fetchRootMenuChannel() {
    if (!mainContext_) return nullptr;
    return mainContext_->fetchChannel(kRootMenuGuid, MVTavikLocale::mvtk_preferredLanguageString(),
                                      Platform::current().clock().secondsSince1970());
}

void MVCoreDataService::deleteRootMenuChannel(std::function<void(ErrorPtr)> completion) {
    setupStack();
    const auto language = MVTavikLocale::mvtk_preferredLanguageString();
    const double now = Platform::current().clock().secondsSince1970();
    saveInBackground(
        [language, now](StoreContext& context) { return context.deleteChannels(kRootMenuGuid, language, now); },
        [completion](ErrorPtr error) {
            if (error) Log::error("Deleting the root menu failed: {}", error->summary());
            if (completion) completion(error);
        });
}

}  // namespace movra
