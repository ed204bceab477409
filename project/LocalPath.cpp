#include "project/LocalPath.h"

#include "platform/StringUtils.h"
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"

#include <cstdint>

namespace vorlin {

namespace {

constexpr size_t kMaxComponent = 255;  // bytes in one file name (ext4, xfs, btrfs)

uint32_t Fnv1a(const std::string& text) {
    uint32_t h = 2166136261u;
    for (unsigned char c : text) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

std::string SafeComponentSlow(std::string component) {
    if (component.find('\0') != std::string::npos) {
        std::string clean;
        for (char c : component) {
            if (c == '\0')
                clean += "%00";
            else
                clean += c;
        }
        component = std::move(clean);
    }
    if (component.size() > kMaxComponent) {
        std::string tail = Format("~%08x", Fnv1a(component));
        component.resize(kMaxComponent - tail.size());
        component += tail;
    }
    return component;
}

// Appends the component as it may lie on disk: "." and ".." are escaped,
// NUL bytes spelled out, over-long names cut with a hash of the whole.
void AppendSafeComponent(std::string& out, std::string_view component) {
    if (component == ".") {
        out += "%2E";
    } else if (component == "..") {
        out += "%2E%2E";
    } else if (component.size() <= kMaxComponent && component.find('\0') == std::string_view::npos) {
        out += component;
    } else {
        out += SafeComponentSlow(std::string(component));
    }
}

// The characters that end a run of a stored name's ordinary characters.
struct TNameStopTable {
    bool Stop[256] = {};
    constexpr TNameStopTable() {
        Stop[static_cast<unsigned char>('\\')] = Stop[static_cast<unsigned char>('/')] = Stop[0] = true;
    }
};
constexpr TNameStopTable kNameStop;

// The usual stored name, which needs no component changed: none empty,
// "." or "..", none with NUL or over-long. Its host form is the name with
// "/" for "\\", made in one pass (this runs for every rewritten link).
bool AppendPlainName(std::string& out, std::string_view name) {
    const size_t start = out.size();
    out.append(name);
    char* const begin = out.data() + start;
    char* const end = out.data() + out.size();
    char* componentStart = begin;
    for (char* p = begin;; ++p) {
        while (p != end && !kNameStop.Stop[static_cast<unsigned char>(*p)])
            ++p;
        const bool last = p == end;
        const size_t length = static_cast<size_t>(p - componentStart);
        const bool dots = (length == 1 || length == 2) && componentStart[0] == '.' && componentStart[length - 1] == '.';
        // Empty is fine only as the end of a name that ends in a separator.
        if ((!last && *p == '\0') || (length == 0 && !(last && p != begin)) || dots || length > kMaxComponent) {
            out.resize(start);
            return false;
        }
        if (last) return true;
        *p = '/';
        componentStart = p + 1;
    }
}

} // namespace

std::string HostPathBelow(const std::string& baseDir, const std::string& storedName) {
    std::string result;
    result.reserve(baseDir.size() + storedName.size() + 8);
    result = baseDir;
    if (!result.empty() && result.back() != '/') result += '/';
    AppendHostPath(result, storedName);
    return result;
}

void AppendHostPath(std::string& out, std::string_view name) {
    if (AppendPlainName(out, name)) return;
    size_t start = 0;
    bool wroteComponent = false;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '\\' && name[i] != '/') continue;
        if (i > start) {
            if (wroteComponent) out += '/';
            AppendSafeComponent(out, name.substr(start, i - start));
            wroteComponent = true;
        }
        start = i + 1;
    }
    const bool endsInSeparator = !name.empty() && (name.back() == '\\' || name.back() == '/');
    if (wroteComponent && endsInSeparator) out += '/';
}

std::string LinkFilePath(const TDownloadProject& project, const TDownloadLink& link) {
    return HostPathBelow(project.TargetDir, link.LocalDir() + link.LocalFileName);
}

} // namespace vorlin
