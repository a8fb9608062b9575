// Tenant: one region of the service as the emulator presents it: the name the discriminator answers,
// the language suffix every client API request must carry, and the region's country codes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movra::backend {

class Tenant {
  public:
    static Tenant tavik();
    static Tenant solara();
    /// "tavik", "solara", the code ("MVTK", "MVSL") or the full name ("Movra Tavik"), ignoring case.
    static std::optional<Tenant> named(std::string_view text);

    /// Short name for command lines and JSON: "tavik" or "solara".
    const std::string& key() const { return key_; }
    /// Code answered as the discriminator's "name": "MVTK" or "MVSL".
    const std::string& code() const { return code_; }
    /// Display name: "Movra Tavik" or "Movra Solara".
    const std::string& name() const { return name_; }
    /// Suffix of the "language" query parameter: "_mvtk" or "_movrasolara".
    const std::string& languageSuffix() const { return languageSuffix_; }
    /// Country codes of the region, the default first.
    const std::vector<std::string>& countryCodes() const { return countryCodes_; }

    bool operator==(const Tenant& other) const { return key_ == other.key_; }

  private:
    Tenant(std::string key, std::string code, std::string name, std::string languageSuffix,
           std::vector<std::string> countryCodes);

    std::string key_, code_, name_, languageSuffix_;
    std::vector<std::string> countryCodes_;
};

}  // namespace movra::backend
