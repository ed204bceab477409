#include "cli/run/TerminalText.h"

namespace vorlin::cli {

namespace {

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }
bool Control(unsigned char c) { return c < 0x20 || c == 0x7F; }

} // namespace

std::string TerminalSafe(const std::string& text, size_t width) {
    std::string result;
    size_t characters = 0;
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (!Continuation(c)) {
            if (characters == width) break;
            ++characters;
        }
        result += Control(c) ? '?' : ch;
    }
    return result;
}

size_t CharacterCount(const std::string& text) {
    size_t count = 0;
    for (char c : text) count += !Continuation(static_cast<unsigned char>(c));
    return count;
}

std::string TerminalSafeLines(const std::string& text) {
    std::string result = text;
    for (char& ch : result) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (Control(c) && ch != '\n' && ch != '\t') ch = '?';
    }
    return result;
}

} // namespace vorlin::cli
