#include "project/PasswordList.h"

#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "platform/StringUtils.h"
#include "project/DownloadLink.h"
#include "project/PasswordScrambler.h"

#include <algorithm>
#include <cstdint>

namespace vorlin {

namespace {

const char* const kCannotOpen =
    "Cannot open Passwordlist please ensure that no other instance of HTTP Vorlin is Saving!";
const char* const kCannotSave =
    "Cannot save Passwordlist please ensure that no other instance of HTTP Vorlin is Saving!";

int32_t ReadInt32(TStream& in) {
    uint8_t b[4];
    in.ReadBuffer(b, 4);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

void WriteInt32(TStream& out, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                    static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    out.WriteBuffer(b, 4);
}

std::string ReadText(TStream& in) {
    int32_t length = ReadInt32(in);
    // A damaged length must not make us reserve more than the file holds.
    if (length < 0 || length > in.Size() - in.Position()) throw EStreamError("damaged entry");
    std::string text(static_cast<size_t>(length), '\0');
    in.ReadBuffer(text.data(), length);
    return text;
}

void WriteText(TStream& out, const std::string& text) {
    WriteInt32(out, static_cast<int32_t>(text.size()));
    out.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

// Position (from 1) of the last "/", 0 when there is none.
size_t LastSlash(const std::string& text) {
    size_t p = text.rfind('/');
    return p == std::string::npos ? 0 : p + 1;
}

// The server root of an entry's URL ends at its third "/".
size_t RootEnd(const std::string& url) {
    size_t found = 0;
    for (size_t i = 0; i < url.size(); ++i)
        if (url[i] == '/' && ++found == 3) return i + 1;
    return std::string::npos;
}

} // namespace

std::string TPassWordList::KeyOf(const TDownloadLink& link) {
    std::string key = link.FullURL();
    size_t query = key.find('?');
    if (query != std::string::npos) key.resize(query);
    return key;
}

void TPassWordList::Store(const TDownloadLink& link, const std::string& userName,
                          const std::string& password) {
    std::string key = KeyOf(link);
    for (auto& entry : FEntries) {
        if (entry->URL == key) {
            entry->UserName = userName;
            entry->Password = password;
            return;
        }
    }
    FEntries.insert(FEntries.begin(), std::make_unique<TPassWordListEntry>(
                                          TPassWordListEntry{key, userName, password}));
}

TPassWordListEntry* TPassWordList::Find(const TDownloadLink& link) const {
    const std::string key = KeyOf(link);
    const size_t keySlash = LastSlash(key);
    TPassWordListEntry* best = nullptr;
    size_t bestDistance = 0;
    for (const auto& entry : FEntries) {
        const std::string& url = entry->URL;
        if (url == key) return entry.get();
        // The entry's directory, its "/" included, must begin the key and
        // must hold at least the whole server root: a bare prefix would
        // hand the credentials of http://h/a/b to http://h/a/bx.html, and
        // those of http://h to http://h.other.net.
        size_t entrySlash = LastSlash(url);
        size_t rootEnd = RootEnd(url);
        if (rootEnd == std::string::npos || entrySlash < rootEnd) continue;
        if (key.compare(0, entrySlash, url, 0, entrySlash) != 0) continue;
        size_t distance = keySlash - entrySlash;
        if (distance >= key.size()) continue;
        if (!best || distance < bestDistance) {
            best = entry.get();
            bestDistance = distance;
        }
    }
    return best;
}

TPassWordListEntry* TPassWordList::Items(int index) const {
    if (index < 0 || index >= Count()) throw Exception(Format("List index out of bounds (%d)", index));
    return FEntries[static_cast<size_t>(index)].get();
}

void TPassWordList::Delete(int index) {
    Items(index);
    FEntries.erase(FEntries.begin() + index);
}

void TPassWordList::LoadFromFile(const std::string& hostPath) {
    std::unique_ptr<TFileStream> file;
    try {
        file = std::make_unique<TFileStream>(hostPath, fmOpenRead | fmShareDenyWrite);
    } catch (const std::exception&) {
        throw EPassWordListError(kCannotOpen);
    }
    LoadFromStream(*file);
}

void TPassWordList::LoadFromStream(TStream& file) {
    try {
        int32_t count = ReadInt32(file);
        for (int32_t i = 0; i < count; ++i) {
            auto entry = std::make_unique<TPassWordListEntry>();
            entry->URL = ReadText(file);
            entry->UserName = ReadText(file);
            entry->Password = UnscramblePassword(ReadText(file));
            FEntries.push_back(std::move(entry));
        }
    } catch (const std::exception&) {
        throw EPassWordListError(kCannotOpen);
    }
}

void TPassWordList::SaveToFile(const std::string& hostPath) const {
    try {
        WriteFileAtomically(hostPath, [this](TFileStream& file) {
            TMemoryStream data;
            WriteInt32(data, Count());
            for (const auto& entry : FEntries) {
                WriteText(data, entry->URL);
                WriteText(data, entry->UserName);
                WriteText(data, ScramblePassword(entry->Password));
            }
            file.WriteBuffer(data.Memory(), data.Size());
        }, kPrivateFileMode);
    } catch (const std::exception&) {
        throw EPassWordListError(kCannotSave);
    }
}

} // namespace vorlin
