#include "update/UpdateDescription.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

namespace vorlin::update {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> Parts(const std::string& version) {
    std::vector<std::string> parts;
    std::stringstream in(version);
    std::string part;
    while (std::getline(in, part, '.')) parts.push_back(part);
    return parts;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int CompareParts(std::string a, std::string b) {
    if (AllDigits(a) && AllDigits(b)) {
        a.erase(0, std::min(a.find_first_not_of('0'), a.size()));
        b.erase(0, std::min(b.find_first_not_of('0'), b.size()));
        if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

} // namespace

TUpdateFile ParseUpdateDescription(const std::string& text) {
    TUpdateFile file;
    bool seen[5] = {};
    std::stringstream in(text);
    std::string line;
    static const char* const kKeys[] = {"newversion", "changes", "datfile", "updateexists", "filelist"};
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        while (!key.empty() && key.back() == ' ') key.pop_back();
        value.erase(0, std::min(value.find_first_not_of(' '), value.size()));
        key = Lower(key);
        for (int i = 0; i < 5; ++i) {
            if (key != kKeys[i] || seen[i]) continue;
            seen[i] = true;
            switch (i) {
            case 0: file.NewVersion = value; break;
            case 1: file.Changes = value; break;
            case 2: file.DatFile = value; break;
            case 3: file.UpdateExists = !value.empty() && value != "0"; break;
            case 4: file.FileList = value; break;
            }
        }
    }
    return file;
}

int CompareVersions(const std::string& a, const std::string& b) {
    const std::vector<std::string> left = Parts(a), right = Parts(b);
    for (size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        const std::string l = i < left.size() ? left[i] : "0", r = i < right.size() ? right[i] : "0";
        if (const int order = CompareParts(l, r)) return order;
    }
    return 0;
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos &&
           name.find('\0') == std::string::npos;
}

} // namespace vorlin::update
