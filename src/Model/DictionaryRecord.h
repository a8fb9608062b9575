// DictionaryRecord: the base of the media sub-records. A record is its dictionary of values by property
// name, the same dictionary an item archives, so decoding a record is taking the dictionary as it is.
//
// Thread contract: records are values; a record may be read from any thread.
#pragma once

#include "Foundation/Json.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movra {

class DictionaryRecord {
  public:
    /// A dictionary that is not a JSON object gives a record without values.
    explicit DictionaryRecord(Json dictionary = Json::object());

    /// The record's values by property name: what is archived and what is compared.
    const Json& dictionaryValue() const { return values_; }
    bool operator==(const DictionaryRecord& other) const { return values_ == other.values_; }

    /// The JSON of archived data; null for missing, empty or unreadable data.
    static Json jsonFromData(const std::optional<std::string>& data);
    /// The non-null values of `dictionary` under new names: (key in the dictionary, name in the result).
    static Json renamedValues(const Json& dictionary,
                              std::initializer_list<std::pair<std::string_view, std::string_view>> names);
    /// One record per dictionary in `array`; other entries are skipped, and anything but an array gives none.
    template <class Record>
    static std::vector<Record> recordsFromArray(const Json& array) {
        std::vector<Record> records;
        if (!array.is_array()) return records;
        for (const auto& entry : array)
            if (entry.is_object()) records.emplace_back(entry);
        return records;
    }

  protected:
    std::optional<std::string> text(std::string_view key) const { return stringValue(values_, key); }
    /// A number, or text read as one, as a 32-bit integer.
    std::optional<std::int32_t> integer(std::string_view key) const;
    std::optional<bool> boolean(std::string_view key) const;

  private:
    Json values_;
};

}  // namespace movra
