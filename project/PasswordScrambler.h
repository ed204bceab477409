// The stored form of every password (project file, password list, program
// settings): Blowfish in 8-bit cipher feedback mode under a key derived from
// a constant built into the program, then Base64.
#pragma once

#include <string>

namespace vorlin {

// "" stays "".
std::string ScramblePassword(const std::string& clear);
// Throws Exception "Base64: Incorrect string format" for text that isn't
// Base64.
std::string UnscramblePassword(const std::string& text);

} // namespace vorlin
