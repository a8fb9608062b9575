// The two regions the service runs in.
#include "movra-backend/Tenant.h"

#include "Foundation/Strings.h"

namespace movra::backend {

Tenant::Tenant(std::string key, std::string code, std::string name, std::string languageSuffix,
               std::vector<std::string> countryCodes)
    : key_(std::move(key)),
      code_(std::move(code)),
      name_(std::move(name)),
      languageSuffix_(std::move(languageSuffix)),
      countryCodes_(std::move(countryCodes)) {}

Tenant Tenant::tavik() { return Tenant("tavik", "MVTK", "Movra Tavik", "_mvtk", {"SE", "FI", "NO", "DK"}); }

Tenant Tenant::solara() { return Tenant("solara", "MVSL", "Movra Solara", "_movrasolara", {"ES"}); }

std::optional<Tenant> Tenant::named(std::string_view text) {
    const std::string wanted = toLower(trim(text));
    for (Tenant tenant : {tavik(), solara()}) {
        if (wanted == tenant.key_ || wanted == toLower(tenant.code_) || wanted == toLower(tenant.name_)) return tenant;
    }
    return std::nullopt;
}

}  // namespace movra::backend
