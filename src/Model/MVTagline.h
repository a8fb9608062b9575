// MVTagline: up to three lines of text drawn over a title's picture ("stravo:tagline"), with their anchor
// and colour.
//
// Thread contract: a value; any thread.
#pragma once

#include "Model/DictionaryRecord.h"
#include "Model/MVTaglinePosition.h"
#include "Utilities/XMLModelClass.h"

namespace movra {

class MVTagline : public DictionaryRecord {
  public:
    /// Components from 0 to 1.
    struct Color {
        double red = 0, green = 0, blue = 0, alpha = 1;
        bool operator==(const Color&) const = default;
    };

    static const XMLModelClass& modelClass();
    using DictionaryRecord::DictionaryRecord;

    /// Lower center when the feed gave none or one it does not know.
    MVTaglinePosition position() const;
    /// Hexadecimal RGB text, optionally with a leading "#".
    std::optional<std::string> color() const { return text("color"); }
    std::optional<std::string> line1() const { return text("line1"); }
    std::optional<std::string> line2() const { return text("line2"); }
    std::optional<std::string> line3() const { return text("line3"); }

    /// 0 upper, 1 middle, 2 lower.
    int verticalPosition() const { return position() & 3; }
    /// 0 left, 1 center, 2 right.
    int horizontalPosition() const { return position() >> 4; }
    /// `color` as opaque RGB; black when it is not hexadecimal.
    Color textColor() const;
};

}  // namespace movra
