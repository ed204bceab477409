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

// The usual stored name, which needs no component changed: none empty,
// "." or "..", none with NUL or over-long. Its host form is the name with
// "/" for "\\", made in one pass (this runs for every rewritten link).
bool AppendPlainName(std::string& out, std::string_view name) {
    const size_t start = out.size();
    out.append(name);
    size_t componentStart = start;
    for (size_t i = start; i <= out.size(); ++i) {
        const char c = i < out.size() ? out[i] : '/';
        if (c == '\\' || c == '/') {
            const std::string_view component(out.data() + componentStart, i - componentStart);
            const bool last = i == out.size();
            if ((component.empty() && !(last && i > start)) || component == "." || component == ".." ||
                component.size() > kMaxComponent) {
                out.resize(start);
                return false;
            }
            if (!last) out[i] = '/';
            componentStart = i + 1;
        } else if (c == '\0') {
            out.resize(start);
            return false;
        }
    }
    return true;
}

} // namespace

std::string HostPathBelow(const std::string& baseDir, const std::string& storedName) {
    std::string result;
    result.reserve(baseDir.size() + storedName.size() + 8);
    result = baseDir;
    if (!result.empty() && result.back() != '/') result += '/';
    const std::string_view name(storedName);
    if (AppendPlainName(result, name)) return result;
    size_t start = 0;
    bool wroteComponent = false;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '\\' && name[i] != '/') continue;
        if (i > start) {
            if (wroteComponent) result += '/';
            AppendSafeComponent(result, name.substr(start, i - start));
            wroteComponent = true;
        }
        start = i + 1;
    }
    bool endsInSeparator =
        !storedName.empty() && (storedName.back() == '\\' || storedName.back() == '/');
    if (wroteComponent && endsInSeparator) result += '/';
    return result;
}

std::string LinkFilePath(const TDownloadProject& project, const TDownloadLink& link) {
    return HostPathBelow(project.TargetDir, link.LocalDir() + link.LocalFileName);
}

} // namespace vorlin
