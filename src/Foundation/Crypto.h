// Base64, MD5, SHA-256 and random identifiers (OpenSSL underneath).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace movra {

/// Standard Base64 with padding, no line breaks.
std::string base64Encode(std::string_view bytes);
/// nullopt for text that is not standard Base64.
std::optional<std::string> base64Decode(std::string_view text);
/// Lower-case hexadecimal MD5 digest.
std::string md5Hex(std::string_view bytes);
/// The 32 raw bytes of the SHA-256 digest.
std::string sha256(std::string_view bytes);
/// `count` bytes from the system's cryptographic random source.
std::string randomBytes(std::size_t count);
/// A random (version 4) UUID in its standard upper-case text form, 8-4-4-4-12.
std::string makeUUIDString();
/// "`what`: <OpenSSL's text of its oldest queued error>" (just `what` when none is queued); clears the queue.
std::string openSslError(std::string_view what);

}  // namespace movra
