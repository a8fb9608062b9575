// XmlReader: a request body parsed as XML, for the client API routes that take XML. The parse never
// touches the network, loads no external DTD or entity and substitutes no entities, so a body cannot make
// the emulator read files or fetch URLs; libxml2's size and depth limits stay on.
//
// Thread contract: a reader is immutable once parse() returns; it and its elements may be read from
// several threads at once.
#pragma once

#include "movra-backend/XmlElement.h"

#include <memory>
#include <string>
#include <string_view>

struct _xmlDoc;

namespace movra::backend {

class XmlReader {
  public:
    /// nullptr, and *problem set to libxml2's reason, when `body` is not a well-formed document.
    static std::unique_ptr<const XmlReader> parse(std::string_view body, std::string* problem);

    ~XmlReader();
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    /// The root element, or the null element when the document has none.
    XmlElement root() const;

  private:
    explicit XmlReader(_xmlDoc* doc) : doc_(doc) {}

    _xmlDoc* doc_;
};

}  // namespace movra::backend
