// Generating the emulator's media once and finding its assets and keys.
#include "movra-backend/MediaLibrary.h"

#include "Foundation/Crypto.h"
#include "Foundation/Json.h"
#include "Foundation/Log.h"
#include "Platform/AtomicFile.h"
#include "Platform/FileLock.h"
#include "movra-backend/MediaGenerator.h"

#include <filesystem>
#include <stdlib.h>

namespace movra::backend {

namespace {

constexpr const char* kKeysFile = "keys.json";

}  // namespace

const std::vector<StreamAsset>& MediaLibrary::catalogue() {
    // Short, so that a first run generates them in seconds.
    static const std::vector<StreamAsset> kAssets{
        {"aurora", 20, {}, {}}, {"fjord", 40, {}, {}}, {"tundra", 60, {}, {}}};
    return kAssets;
}

const StreamAsset& MediaLibrary::assetForTitle(std::string_view guid) {
    const std::string digest = md5Hex(guid);
    return catalogue()[std::stoul(digest.substr(0, 4), nullptr, 16) % catalogue().size()];
}

MediaLibrary::MediaLibrary(std::string directory, std::string ffmpeg)
    : directory_(std::move(directory)), ffmpeg_(std::move(ffmpeg)) {}

std::string MediaLibrary::root() const { return directory_ + "/v" + std::to_string(kVersion); }

std::optional<std::string> MediaLibrary::ensure() {
    std::lock_guard lock(mutex_);
    if (!assets_.empty() || load()) return std::nullopt;
    if (ErrorPtr error = AtomicFile::makePrivateDirectory(directory_)) return error->localizedDescription;
    // Another emulator on the same directory may be generating: wait for it, then use its set.
    FileLock fileLock(directory_ + "/.lock");
    if (fileLock.error()) return fileLock.error()->localizedDescription;
    if (load()) return std::nullopt;
    return generate();
}

bool MediaLibrary::load() {
    const Json keys = Json::parse(AtomicFile::read(root() + "/" + kKeysFile).contents.value_or(""), nullptr,
                                  /*allow_exceptions=*/false);
    std::vector<StreamAsset> assets;
    for (StreamAsset asset : catalogue()) {
        auto keyId = keys.is_object() && keys.contains(asset.id) ? stringValue(keys[asset.id], "keyId") : std::nullopt;
        auto key = keys.is_object() && keys.contains(asset.id) ? stringValue(keys[asset.id], "key") : std::nullopt;
        auto bytes = key ? base64Decode(*key) : std::nullopt;
        if (!keyId || !bytes || bytes->size() != 16) return false;
        asset.keyId = *keyId;
        asset.key = *bytes;
        assets.push_back(std::move(asset));
    }
    assets_ = std::move(assets);
    return true;
}

std::optional<std::string> MediaLibrary::generate() {
    std::string work = directory_ + "/generating-XXXXXX";
    if (!::mkdtemp(work.data())) return "cannot create a folder in " + directory_;
    auto fail = [&](std::string error) {
        std::error_code ignored;
        std::filesystem::remove_all(work, ignored);
        Log::error("movra-backend: generating the media failed: {}", error);
        return std::optional<std::string>(std::move(error));
    };

    Log::info("movra-backend: generating the media in {}", root());
    const MediaGenerator generator(ffmpeg_);
    Json keys = Json::object();
    for (StreamAsset asset : catalogue()) {
        asset.keyId = md5Hex(randomBytes(16));
        asset.key = randomBytes(16);
        std::error_code ec;
        std::filesystem::create_directory(work + "/" + asset.id, ec);
        if (ec) return fail("cannot create " + work + "/" + asset.id + ": " + ec.message());
        if (auto error = generator.generate(asset, work + "/" + asset.id)) return fail(*error);
        keys[asset.id] = {{"keyId", asset.keyId}, {"key", base64Encode(asset.key)}};
    }
    if (ErrorPtr error = AtomicFile::write(work + "/" + kKeysFile, keys.dump(2))) {
        return fail(error->localizedDescription);
    }
    // A set left half-made by a crash is never at root(): only a complete one is renamed there.
    std::error_code ec;
    std::filesystem::remove_all(root(), ec);
    std::filesystem::rename(work, root(), ec);
    if (ec) return fail("cannot move the media to " + root() + ": " + ec.message());
    if (!load()) return fail("the generated media has no usable keys");
    return std::nullopt;
}

std::optional<StreamAsset> MediaLibrary::asset(std::string_view id) const {
    std::lock_guard lock(mutex_);
    for (const StreamAsset& asset : assets_)
        if (asset.id == id) return asset;
    return std::nullopt;
}

std::optional<StreamAsset> MediaLibrary::assetWithKeyId(std::string_view keyId) const {
    std::lock_guard lock(mutex_);
    for (const StreamAsset& asset : assets_)
        if (asset.keyId == keyId) return asset;
    return std::nullopt;
}

}  // namespace movra::backend
