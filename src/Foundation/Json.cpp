#include "Foundation/Json.h"

#include <algorithm>
#include <charconv>

namespace movra {

bool isEmpty(const Json& value) {
    if (value.is_null()) return true;
    if (value.is_string()) return value.get_ref<const std::string&>().empty();
    if (value.is_array() || value.is_object()) return value.empty();
    return false;
}

bool isEmpty(const Json& dictionary, std::string_view key) {
    if (!dictionary.is_object()) return true;
    auto it = dictionary.find(key);
    return it == dictionary.end() || isEmpty(*it);
}

bool isEmpty(const std::optional<std::string>& value) { return !value || value->empty(); }

std::optional<std::string> stringValue(const Json& dictionary, std::string_view key) {
    if (!dictionary.is_object()) return std::nullopt;
    auto it = dictionary.find(key);
    if (it == dictionary.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

void appendNewMember(Json& object, std::string key, Json value) {
    using Members = std::vector<std::pair<const std::string, Json>>;
    static_cast<Members&>(object.get_ref<Json::object_t&>()).emplace_back(std::move(key), std::move(value));
}

namespace {

bool isPlainAscii(unsigned char c) { return c >= 0x20 && c < 0x80 && c != '"' && c != '\\'; }

void appendString(std::string& out, const std::string& text) {
    // Other text (escapes, multi-byte characters and their validation) is left to the library.
    if (!std::all_of(text.begin(), text.end(), [](char c) { return isPlainAscii(static_cast<unsigned char>(c)); })) {
        out += Json(text).dump();
        return;
    }
    out += '"';
    out += text;
    out += '"';
}

void appendValue(std::string& out, const Json& value) {
    switch (value.type()) {
        case Json::value_t::object: {
            out += '{';
            bool first = true;
            for (const auto& [key, member] : value.get_ref<const Json::object_t&>()) {
                if (!first) out += ',';
                first = false;
                appendString(out, key);
                out += ':';
                appendValue(out, member);
            }
            out += '}';
            break;
        }
        case Json::value_t::array: {
            out += '[';
            for (std::size_t i = 0; i < value.size(); ++i) {
                if (i) out += ',';
                appendValue(out, value[i]);
            }
            out += ']';
            break;
        }
        case Json::value_t::string:
            appendString(out, value.get_ref<const std::string&>());
            break;
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned: {
            char digits[24];
            const auto end = value.is_number_unsigned()
                                 ? std::to_chars(digits, digits + sizeof digits, value.get<std::uint64_t>()).ptr
                                 : std::to_chars(digits, digits + sizeof digits, value.get<std::int64_t>()).ptr;
            out.append(digits, end);
            break;
        }
        default:  // null, booleans, floating point numbers (shortest form), binary
            out += value.dump();
    }
}

}  // namespace

std::string compactText(const Json& value) {
    std::string out;
    appendValue(out, value);
    return out;
}

}  // namespace movra
