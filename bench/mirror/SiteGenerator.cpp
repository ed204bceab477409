// Writes the site that bench/mirror.sh serves and mirrors: N pages, each
// linking 10 pages and 5 images, a pool of shared images of 2-50 KB, and a
// few 1 MB files, all reachable from index.html. The same seed gives the
// same site byte for byte, so figures from different runs compare.
//
// Usage: mirror_site_generator [--pages N] SITE_DIR LIST_FILE
// LIST_FILE receives every site path (one a line) that a complete mirror holds.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr unsigned kSeed = 20261208;
constexpr int kLinksPerPage = 10;
constexpr int kImagesPerPage = 5;
constexpr int kPagesPerFolder = 500;
constexpr int kLargeFiles = 4;
constexpr size_t kLargeFileSize = 1024 * 1024;
constexpr int kIndexPageLinks = 50;

struct TSiteShape {
    int Pages = 2000;
    int Images = 0; // derived: one image per ten pages, at least 20
};

// The pseudo-random source; only the raw engine output is used, since the
// standard distributions differ between library versions.
class TRandom {
  public:
    explicit TRandom(unsigned seed) : m_engine(seed) {}
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(m_engine() % bound); }
    uint32_t Next() { return static_cast<uint32_t>(m_engine()); }

  private:
    std::mt19937 m_engine;
};

std::string Numbered(const char* prefix, int number, int digits, const char* suffix) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%0*d%s", prefix, digits, number, suffix);
    return buffer;
}

std::string PageFolder(int page) { return Numbered("pages/d", page / kPagesPerFolder, 3, ""); }
std::string PagePath(int page) {
    return PageFolder(page) + Numbered("/p", page, 5, ".html");
}
std::string ImagePath(int image) { return Numbered("images/i", image, 5, ".png"); }
std::string LargeFilePath(int file) { return Numbered("files/large", file, 2, ".bin"); }

// Pages link each other relatively (as sites mostly do), images by
// absolute path, so both forms of link resolution are exercised.
std::string PageLinkFrom(int from, int to) {
    if (from / kPagesPerFolder == to / kPagesPerFolder)
        return Numbered("p", to, 5, ".html");
    return "../" + PagePath(to).substr(std::strlen("pages/"));
}

// Writes through a temporary name, so that an interrupted run leaves no
// half-written file under the final name.
void WriteFile(const fs::path& path, const char* data, size_t size) {
    fs::path partial = path;
    partial += ".part";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::cerr << "cannot write " << partial << ": " << std::strerror(errno) << "\n";
        std::exit(1);
    }
    fs::rename(partial, path);
}

void WriteFile(const fs::path& path, const std::string& text) {
    WriteFile(path, text.data(), text.size());
}

const char* const kWords[] = {"offline", "browser", "mirror", "page",   "link",   "image",
                              "server",  "local",   "copy",   "folder", "network", "project",
                              "update",  "resume",  "speed",  "files",  "archive", "reader"};

void AppendText(std::string& html, TRandom& random, int words) {
    html += "<p>";
    for (int i = 0; i < words; ++i) {
        html += kWords[random.Below(sizeof kWords / sizeof kWords[0])];
        html += (i % 12 == 11) ? ".\n" : " ";
    }
    html += "</p>\n";
}

std::string PageHtml(int page, const TSiteShape& shape, TRandom& random) {
    std::string html;
    html.reserve(4096);
    html += "<!DOCTYPE html>\n<html><head><title>Page " + std::to_string(page) +
            "</title></head>\n<body>\n<h1>Page " + std::to_string(page) + "</h1>\n";
    AppendText(html, random, 120);
    html += "<ul>\n";
    // The next page first, so that every page is reachable from the first.
    for (int i = 0; i < kLinksPerPage; ++i) {
        int target = i == 0 ? (page + 1) % shape.Pages : static_cast<int>(random.Below(shape.Pages));
        html += "<li><a href=\"" + PageLinkFrom(page, target) + "\">Page " +
                std::to_string(target) + "</a></li>\n";
    }
    html += "</ul>\n";
    // The first image walks the pool in order, so that every image is used.
    for (int i = 0; i < kImagesPerPage; ++i) {
        int image = i == 0 ? page % shape.Images : static_cast<int>(random.Below(shape.Images));
        html += "<img src=\"/" + ImagePath(image) + "\" alt=\"\">\n";
    }
    AppendText(html, random, 120);
    html += "</body></html>\n";
    return html;
}

std::string IndexHtml(const TSiteShape& shape) {
    std::string html = "<!DOCTYPE html>\n<html><head><title>Mirror benchmark</title></head>\n"
                       "<body>\n<h1>Mirror benchmark</h1>\n<ul>\n";
    for (int page = 0; page < std::min(shape.Pages, kIndexPageLinks); ++page)
        html += "<li><a href=\"" + PagePath(page) + "\">Page " + std::to_string(page) +
                "</a></li>\n";
    for (int file = 0; file < kLargeFiles; ++file)
        html += "<li><a href=\"" + LargeFilePath(file) + "\">Large file " +
                std::to_string(file) + "</a></li>\n";
    html += "</ul>\n<img src=\"" + ImagePath(0) + "\" alt=\"\">\n</body></html>\n";
    return html;
}

void WriteBinary(const fs::path& path, size_t size, TRandom& random) {
    static const unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<char> data(size);
    std::memcpy(data.data(), kPngSignature, std::min(size, sizeof kPngSignature));
    for (size_t i = sizeof kPngSignature; i + 4 <= size; i += 4) {
        uint32_t value = random.Next();
        std::memcpy(&data[i], &value, 4);
    }
    WriteFile(path, data.data(), data.size());
}

int Usage() {
    std::cerr << "usage: mirror_site_generator [--pages N] SITE_DIR LIST_FILE\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    TSiteShape shape;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--pages" && i + 1 < argc) {
            char* end = nullptr;
            long pages = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || pages < 1 || pages > 1000000) {
                std::cerr << "--pages wants a number from 1 to 1000000\n";
                return 2;
            }
            shape.Pages = static_cast<int>(pages);
        } else if (!argument.empty() && argument[0] == '-') {
            return Usage();
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() != 2)
        return Usage();
    shape.Images = std::max(20, shape.Pages / 10);

    const fs::path site = positional[0];
    std::vector<std::string> paths;
    try {
        fs::create_directories(site / "images");
        fs::create_directories(site / "files");
        for (int folder = 0; folder * kPagesPerFolder < shape.Pages; ++folder)
            fs::create_directories(site / PageFolder(folder * kPagesPerFolder));

        TRandom random(kSeed);
        WriteFile(site / "index.html", IndexHtml(shape));
        paths.push_back("index.html");
        for (int page = 0; page < shape.Pages; ++page) {
            WriteFile(site / PagePath(page), PageHtml(page, shape, random));
            paths.push_back(PagePath(page));
        }
        for (int image = 0; image < shape.Images; ++image) {
            WriteBinary(site / ImagePath(image), 2048 + random.Below(48 * 1024 + 1), random);
            paths.push_back(ImagePath(image));
        }
        for (int file = 0; file < kLargeFiles; ++file) {
            WriteBinary(site / LargeFilePath(file), kLargeFileSize, random);
            paths.push_back(LargeFilePath(file));
        }
    } catch (const fs::filesystem_error& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }

    std::string list;
    for (const std::string& path : paths)
        list += path + "\n";
    WriteFile(positional[1], list);
    std::cout << shape.Pages << " pages, " << shape.Images << " images, " << kLargeFiles
              << " large files\n";
    return 0;
}
