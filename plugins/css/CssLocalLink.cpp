#include "CssLocalLink.h"

#include <cctype>
#include <vector>

namespace css_plugin {

namespace {

// The pieces of a stored name as the program lays the file on disk: a "."
// or ".." piece is a directory named "%2E" or "%2E%2E" there, so a reference
// names that directory and never climbs out of the copy.
std::vector<std::string> Segments(std::string_view path) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            if (i > start) {
                std::string part(path.substr(start, i - start));
                if (part == ".") part = "%2E";
                if (part == "..") part = "%2E%2E";
                parts.push_back(part);
            }
            start = i + 1;
        }
    }
    return parts;
}

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

std::string LocalRelativeReference(std::string_view pageLocal, std::string_view targetLocal) {
    std::vector<std::string> page = Segments(pageLocal), target = Segments(targetLocal);
    if (target.empty()) return std::string();
    // A directory's name ("h\dir\") is stored as its index page.
    if (targetLocal.back() == '\\' || targetLocal.back() == '/') target.push_back("index.html");
    std::string fileName = target.back();
    target.pop_back();
    if (!page.empty()) page.pop_back();
    size_t common = 0;
    while (common < page.size() && common < target.size() && SameNoCase(page[common], target[common])) ++common;
    std::string result;
    for (size_t i = common; i < page.size(); ++i) result += "../";
    for (size_t i = common; i < target.size(); ++i) result += target[i] + "/";
    return result + fileName;
}

std::string EscapeForCssUrl(std::string_view path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        unsigned char u = static_cast<unsigned char>(c);
        // The program writes page links with the same characters kept, so
        // that its end-of-run repair finds a style sheet's references too.
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     std::string_view("-._~/!$*+,;=@").find(c) != std::string_view::npos;
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        }
    }
    return out;
}

} // namespace css_plugin
