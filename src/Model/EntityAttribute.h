// EntityAttribute: one stored attribute of a catalogue entity (Item, Channel) as the store sees it.
#pragma once

#include <string>

namespace movra {

struct EntityAttribute {
    /// How the value is kept, and what attributeValues() gives for it.
    enum class Kind {
        Text,     // a string
        Integer,  // a 32-bit signed number
        Boolean,  // true or false
        Date,     // seconds since 1970-01-01 00:00 UTC, a floating-point number
        Data,     // JSON text of archived sub-record dictionaries
    };

    std::string name;
    Kind kind;
};

}  // namespace movra
