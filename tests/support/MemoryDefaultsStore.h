// In-memory user defaults.
#pragma once

#include <map>
#include <mutex>

#include "Platform/DefaultsStore.h"

namespace movra::test {

class MemoryDefaultsStore final : public DefaultsStore {
public:
    std::optional<Json> object(std::string_view key) const override;
    void setObject(std::string_view key, Json value) override;
    void removeObject(std::string_view key) override;
    bool synchronize() override { return true; }

private:
    mutable std::mutex mutex_;
    std::map<std::string, Json, std::less<>> values_;
};

}  // namespace movra::test
