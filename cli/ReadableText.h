// Readable forms of stored values for the commands that show project data:
// enumeration names, dates, and JSON strings.
#pragma once

#include "links/LinkTypes.h"
#include "platform/DateTime.h"
#include "platform/StringUtils.h"

#include "cli/Command.h"
#include "platform/FileSystem.h"

#include <cmath>
#include <iostream>
#include <string>
#include <vector>

namespace vorlin::cli {

inline const char* LinkStateName(int state) {
    switch (state) {
    case lsPending: return "pending";
    case lsDownloaded: return "downloaded";
    case lsFilteredOut: return "filtered-out";
    default: return "unknown";
    }
}

inline const char* LinkKindName(int kind) {
    static const char* const names[] = {"http", "ftp", "mailto", "other", "relative", "anchor",
                                        "javascript"};
    return kind >= 0 && kind < 7 ? names[kind] : "unknown";
}

inline const char* LinkTypeName(int type) {
    static const char* const names[] = {"source", "page", "background", "none", "script-link",
                                        "script-file", "applet-code", "applet-archive"};
    return type >= 0 && type < 8 ? names[type] : "unknown";
}

// "2024-05-01 12:30:00"; "-" for 0; the bare number when no calendar date.
inline std::string DateText(TDateTime value) {
    if (value == 0) return "-";
    if (!std::isfinite(value) || std::fabs(value) > 2958466) return Format("%g", value);
    TDateParts p = DecodeDateTime(value);
    return Format("%04d-%02d-%02d %02d:%02d:%02d", p.Year, p.Month, p.Day, p.Hour, p.Minute,
                  p.Second);
}

// A duration kept as a time of day: "01:02:03".
inline std::string DurationText(TDateTime value) {
    if (!std::isfinite(value) || value < 0 || value > 1e6) return Format("%g", value);
    long long seconds = std::llround(value * 86400.0);
    return Format("%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

// A JSON string literal. Stored text is 8-bit: valid UTF-8 passes through,
// any other byte is taken as Latin-1.
inline std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            out += Format("\\u%04x", c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 && c <= 0xEF ? 3
                            : c >= 0xC2 && c <= 0xDF                ? 2
                                                                    : 0;
            bool valid = length > 0 && i + length <= text.size();
            for (size_t k = 1; valid && k < length; ++k)
                valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            if (valid) {
                // No overlong forms, surrogates or code points past U+10FFFF.
                unsigned char second = static_cast<unsigned char>(text[i + 1]);
                valid = !(c == 0xE0 && second < 0xA0) && !(c == 0xED && second > 0x9F) &&
                        !(c == 0xF0 && second < 0x90) && !(c == 0xF4 && second > 0x8F);
            }
            if (valid) {
                out.append(text, i, length);
                i += length - 1;
            } else {
                out += Format("\\u%04x", c);
            }
        }
    }
    return out + "\"";
}

// Text for a terminal line: control characters (tabs included, which
// separate the columns) as \xNN, so that stored data can't steer the terminal.
inline std::string PrintableText(const std::string& text) {
    std::string out;
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F)
            out += Format("\\x%02X", c);
        else
            out += ch;
    }
    return out;
}

// The arguments of an inspection command: one existing FILE and at most one
// option `flag`. Answers -1 when the command should go on, else its exit
// status (after printing the usage or the complaint).
inline int ReadFileArguments(const std::vector<std::string>& args, const std::string& command,
                             const char* usage, const std::string& flag, bool& flagSet,
                             std::string& path) {
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::cout << usage;
            return kExitOk;
        }
        if (a == flag) {
            flagSet = true;
        } else if (!a.empty() && a[0] == '-') {
            std::cerr << "vorlin " << command << ": unknown option '" << a << "'; see 'vorlin " << command
                      << " --help'\n";
            return kExitUsage;
        } else if (path.empty()) {
            path = a;
        } else {
            std::cerr << "vorlin " << command << ": one file at a time; see 'vorlin " << command << " --help'\n";
            return kExitUsage;
        }
    }
    if (path.empty()) {
        std::cerr << "vorlin " << command << ": no file given; see 'vorlin " << command << " --help'\n";
        return kExitUsage;
    }
    if (!FileExists(path)) {
        std::cerr << "vorlin " << command << ": " << path << ": no such file\n";
        return kExitFailure;
    }
    return -1;
}

} // namespace vorlin::cli
