#include "Foundation/Notification.h"

namespace movra {

std::optional<long long> Notification::numberValue(const std::string& key) const {
    auto it = userInfo.find(key);
    if (it == userInfo.end()) return std::nullopt;
    if (it->is_number_integer()) return it->get<long long>();
    if (it->is_number_float()) return static_cast<long long>(it->get<double>());
    return std::nullopt;
}

}  // namespace movra
