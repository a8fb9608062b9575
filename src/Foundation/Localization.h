// User-visible texts go through MVLocalizedString: the English value of every key is the key itself.
// A translation table (JSON object key -> text) may be loaded for another language.
#pragma once

#include "Foundation/Json.h"

#include <string>
#include <string_view>

namespace movra {

std::string MVLocalizedString(std::string_view key);
/// Replaces the translation table; an empty object restores English.
void setLocalizationTable(Json table);

}  // namespace movra
