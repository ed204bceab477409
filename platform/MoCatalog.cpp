#include "platform/MoCatalog.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cctype>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorlin {

namespace {

constexpr uint32_t kMagic = 0x950412de;
constexpr uint32_t kSwappedMagic = 0xde120495;
constexpr size_t kHeaderSize = 28;

// Reads the file's 32-bit words in the byte order its magic announced.
class TWordReader {
public:
    TWordReader(std::string_view bytes, bool swapped) : FBytes(bytes), FSwapped(swapped) {}
    uint32_t At(uint64_t offset) const {
        if (offset + 4 > FBytes.size()) throw EMoFormatError("the language file ends inside a table");
        uint32_t value;
        std::memcpy(&value, FBytes.data() + offset, 4);
        return FSwapped ? __builtin_bswap32(value) : value;
    }

private:
    std::string_view FBytes;
    bool FSwapped;
};

// String i of the table at tableOffset: its length and offset, checked
// against the file, with the zero the format puts after every string.
std::string_view StringAt(std::string_view bytes, const TWordReader& words, uint64_t tableOffset, uint32_t i) {
    const uint64_t entry = tableOffset + uint64_t{i} * 8;
    const uint64_t length = words.At(entry);
    const uint64_t offset = words.At(entry + 4);
    if (offset + length >= bytes.size() || bytes[offset + length] != '\0')
        throw EMoFormatError("a string of the language file lies outside the file");
    return bytes.substr(offset, length);
}

// "603" -> 603; anything but a plain decimal number (the header's empty id,
// "+1", "007", an id with a context) is not a text number.
bool ParseNumber(std::string_view id, int& number) {
    if (id.empty() || id.size() > 9 || (id.size() > 1 && id[0] == '0')) return false;
    int value = 0;
    for (char c : id) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    number = value;
    return true;
}

// The header entry may name a charset; texts are taken as UTF-8 only.
void CheckCharset(std::string_view header) {
    const std::string_view key = "charset=";
    const size_t at = header.find(key);
    if (at == std::string_view::npos) return;
    std::string charset;
    for (size_t i = at + key.size(); i < header.size() && header[i] != '\n' && header[i] != ' ' && header[i] != ';'; ++i)
        charset += static_cast<char>(std::tolower(static_cast<unsigned char>(header[i])));
    if (charset != "utf-8" && charset != "utf8" && charset != "ascii" && charset != "us-ascii" && charset != "charset")
        throw EMoFormatError("the language file is in " + charset + ", not UTF-8");
}

} // namespace

TMoCatalog TMoCatalog::FromBytes(std::string_view bytes) {
    if (bytes.size() > kMaxFileSize) throw EMoFormatError("the language file is too large");
    if (bytes.size() < kHeaderSize) throw EMoFormatError("the language file is too short");
    uint32_t magic;
    std::memcpy(&magic, bytes.data(), 4);
    if (magic != kMagic && magic != kSwappedMagic) throw EMoFormatError("the file is not a compiled language file");
    const TWordReader words(bytes, magic == kSwappedMagic);
    // Major revisions 0 and 1 share the layout of the tables read here.
    if ((words.At(4) >> 16) > 1) throw EMoFormatError("the language file has an unknown revision");
    const uint64_t count = words.At(8);
    const uint64_t originals = words.At(12);
    const uint64_t translations = words.At(16);
    if (originals + count * 8 > bytes.size() || translations + count * 8 > bytes.size())
        throw EMoFormatError("the tables of the language file lie outside the file");

    TMoCatalog catalog;
    for (uint32_t i = 0; i < count; ++i) {
        const std::string_view id = StringAt(bytes, words, originals, i);
        std::string_view text = StringAt(bytes, words, translations, i);
        if (id.empty()) CheckCharset(text);
        int number;
        if (!ParseNumber(id, number)) continue;
        // Plural forms are separated by zeros; a text number has one form.
        text = text.substr(0, std::min(text.size(), text.find('\0')));
        catalog.FTexts.emplace(number, std::string(text));
    }
    return catalog;
}

TMoCatalog TMoCatalog::LoadFromFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EFileError("Can not open " + path + ": " + std::strerror(errno), errno);
    std::string bytes;
    try {
        struct stat info {};
        if (::fstat(fd, &info) != 0) throw EFileError("Can not read " + path + ": " + std::strerror(errno), errno);
        if (!S_ISREG(info.st_mode)) throw EMoFormatError(path + " is not a file");
        if (static_cast<uint64_t>(info.st_size) > kMaxFileSize) throw EMoFormatError("the language file is too large");
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw EFileError("Can not read " + path + ": " + std::strerror(errno), errno);
            if (got == 0) break;
            done += static_cast<size_t>(got);
        }
        bytes.resize(done);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return FromBytes(bytes);
}

const std::string* TMoCatalog::Find(int number) const {
    auto it = FTexts.find(number);
    return it == FTexts.end() ? nullptr : &it->second;
}

std::vector<int> TMoCatalog::Numbers() const {
    std::vector<int> numbers;
    numbers.reserve(FTexts.size());
    for (const auto& [number, text] : FTexts) numbers.push_back(number);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

} // namespace vorlin
