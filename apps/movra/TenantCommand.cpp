#include "movra/TenantCommand.h"

#include "App/MVDiscriminator.h"
#include "Foundation/Strings.h"
#include "Platform/Platform.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"

#include <sstream>

namespace movra::cli {

namespace {

Json optionalText(const std::optional<std::string>& value) { return value ? Json(*value) : Json(nullptr); }

}  // namespace

int TenantCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto error = session.open()) {
        printFailure(options, error->localizedDescription, error);
        return 2;
    }
    // The stored tenant before this check replaces it.
    const auto stored = Platform::current().defaults().stringForKey("currentTenant");
    const ErrorPtr error = session.checkRegion();
    auto discriminator = MVDiscriminator::sharedDiscriminator();

    Json tenants = Json::array();
    std::ostringstream table;
    for (auto tenant : {MVRegionTenantSolara, MVRegionTenantTavik}) {
        const auto& codes = tenant == MVRegionTenantSolara ? MVDiscriminator::SolaraRegionCountryCodes()
                                                           : MVDiscriminator::TavikRegionCountryCodes();
        const auto name = MVDiscriminator::stringForRegionTenant(tenant).value_or("");
        const auto language = MVDiscriminator::languageCodeForRegionTenant("xx", tenant);
        tenants.push_back({{"value", static_cast<unsigned>(tenant)},
                           {"name", name},
                           {"analytics", optionalText(MVDiscriminator::analyticsStringForRegionTenant(tenant))},
                           {"language", language},
                           {"countryCodes", codes}});
        table << "  " << static_cast<unsigned>(tenant) << " " << name << ": language " << language << ", countries "
              << join(codes, ", ") << "\n";
    }
    const bool overridden = !Platform::current().configuration().apiHostOverride.empty();
    Json json = {{"answer", session.discriminatorAnswer()},
                 {"overridden", overridden},
                 {"error", errorObject(error)},
                 {"previousTenant", optionalText(stored)},
                 {"tenants", tenants}};
    std::ostringstream text;
    text << (overridden ? "API host override (no region check): " : "Region check answer: ")
         << session.discriminatorAnswer().dump(-1, ' ', false, Json::error_handler_t::replace) << "\n";
    if (error) text << "Error: " << error->summary() << "\n";
    if (discriminator) {
        const auto current = MVDiscriminator::stringForRegionTenant(discriminator->currentTenant());
        json["currentTenant"] = optionalText(current);
        json["countryCode"] = optionalText(discriminator->countryCode());
        json["apiHost"] = discriminator->url();
        json["currentTenantChanged"] = discriminator->currentTenantChanged();
        text << "Current tenant: " << current.value_or("none recognised") << " (country "
             << discriminator->countryCode().value_or("?")
             << ", changed since the last check: " << (discriminator->currentTenantChanged() ? "yes" : "no") << ")\n"
             << "API host: " << discriminator->url() << "\n";
    }
    text << "Previously stored tenant: " << stored.value_or("none") << "\nTenants:\n" << table.str();
    printResult(options, json, text.str());
    return error ? 1 : 0;
}

}  // namespace movra::cli
