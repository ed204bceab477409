// Standard Base64 (RFC 2045 alphabet, "=" padding): the text form of
// scrambled passwords and of Basic credentials.
#pragma once

#include <string>
#include <string_view>

namespace vorlin {

std::string EncodeBase64(std::string_view bytes);
// Throws Exception "Base64: Incorrect string format" when the length is not a
// multiple of 4 or a character is outside the alphabet.
std::string DecodeBase64(std::string_view text);

} // namespace vorlin
