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

std::string SafeComponent(std::string component) {
    if (component == ".") return "%2E";
    if (component == "..") return "%2E%2E";
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

} // namespace

std::string HostPathBelow(const std::string& baseDir, const std::string& storedName) {
    std::string result = baseDir;
    if (!result.empty() && result.back() != '/') result += '/';
    size_t start = 0;
    bool wroteComponent = false;
    for (size_t i = 0; i <= storedName.size(); ++i) {
        if (i < storedName.size() && storedName[i] != '\\' && storedName[i] != '/') continue;
        if (i > start) {
            if (wroteComponent) result += '/';
            result += SafeComponent(storedName.substr(start, i - start));
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
    return HostPathBelow(project.TargetDir, link.LocalDir + link.LocalFileName);
}

} // namespace vorlin
