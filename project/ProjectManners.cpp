#include "project/ProjectManners.h"

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "platform/StringUtils.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vorlin {

namespace {

constexpr int64_t kMaxMannersFile = 64 * 1024;

std::string BoolText(bool value) { return value ? "1" : "0"; }

bool ParseBool(const std::string& text, bool& value) {
    if (text == "1" || SameText(text, "true")) return value = true, true;
    if (text == "0" || SameText(text, "false")) return value = false, true;
    return false;
}

std::string SecondsText(double seconds) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", seconds);
    std::string text = buffer;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

// The file keeps one setting a line: a line break in a file name would
// end it there and make the rest a setting of its own.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text)
        if (c != '\n' && c != '\r') line += c;
    return line;
}

} // namespace

bool TProjectManners::IsDefault() const { return *this == TProjectManners(); }

std::string MannersFileOf(const std::string& projectFile) { return projectFile + ".manners"; }

bool LoadProjectManners(const std::string& hostPath, TProjectManners& manners) {
    if (!FileExists(hostPath)) return false;
    TFileStream file(hostPath, fmOpenRead);
    const int64_t size = std::min(file.Size(), kMaxMannersFile);
    std::string text(static_cast<size_t>(size), '\0');
    if (size > 0) file.ReadBuffer(text.data(), size);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        if (key == "ObeyRobots") {
            ParseBool(value, manners.ObeyRobots);
        } else if (key == "WaitSeconds") {
            char* stop = nullptr;
            double seconds = std::strtod(value.c_str(), &stop);
            if (stop != value.c_str() && std::isfinite(seconds) && seconds >= 0) manners.WaitSeconds = seconds;
        } else if (key == "RandomWait") {
            ParseBool(value, manners.RandomWait);
        } else if (key == "LimitRate") {
            char* stop = nullptr;
            long long rate = std::strtoll(value.c_str(), &stop, 10);
            if (stop != value.c_str() && rate >= 0) manners.LimitRate = rate;
        } else if (key == "LoadCookies") {
            manners.LoadCookies = value;
        } else if (key == "SaveCookies") {
            manners.SaveCookies = value;
        } else if (key == "KeepSessionCookies") {
            ParseBool(value, manners.KeepSessionCookies);
        }
    }
    return true;
}

void SaveProjectManners(const std::string& hostPath, const TProjectManners& manners) {
    if (manners.IsDefault()) {
        if (FileExists(hostPath) && !DeleteFile(hostPath))
            throw EFileError("Cannot delete file \"" + hostPath + "\"", errno);
        return;
    }
    const std::string text = "ObeyRobots=" + BoolText(manners.ObeyRobots) + "\nWaitSeconds=" +
                             SecondsText(manners.WaitSeconds) + "\nRandomWait=" + BoolText(manners.RandomWait) +
                             "\nLimitRate=" + std::to_string(manners.LimitRate) + "\nLoadCookies=" +
                             OneLine(manners.LoadCookies) + "\nSaveCookies=" + OneLine(manners.SaveCookies) +
                             "\nKeepSessionCookies=" + BoolText(manners.KeepSessionCookies) + "\n";
    WriteFileAtomically(
        hostPath, [&](TFileStream& file) { file.WriteBuffer(text.data(), static_cast<int64_t>(text.size())); },
        kPrivateFileMode);
}

} // namespace vorlin
