#include "Foundation/Localization.h"

#include <mutex>

namespace movra {

namespace {
std::mutex gTableMutex;
Json gTable = Json::object();
}  // namespace

std::string MVLocalizedString(std::string_view key) {
    std::lock_guard lock(gTableMutex);
    if (auto it = gTable.find(key); it != gTable.end() && it->is_string()) return it->get<std::string>();
    return std::string(key);
}

void setLocalizationTable(Json table) {
    std::lock_guard lock(gTableMutex);
    gTable = table.is_object() ? std::move(table) : Json::object();
}

}  // namespace movra
