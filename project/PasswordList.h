// User names and passwords that have worked or that the user typed, for all
// projects, keyed by URL without its query, and the file "passwords.lst"
// they persist in (binary: a 32-bit count, then per entry the URL, the user
// name and the scrambled password, each a 32-bit length and its bytes).
#pragma once

#include "platform/Exception.h"

#include <memory>
#include <string>
#include <vector>

namespace vorlin {

class TDownloadLink;
class TStream;

struct TPassWordListEntry {
    std::string URL;  // the key
    std::string UserName;
    std::string Password;  // clear text in memory
};

// One authorization request between the run and the main window.
struct TAuthRec {
    std::string Realm;
    TDownloadLink* Link = nullptr;
    std::string UserName;
    std::string Password;
};

// Loading or saving "passwords.lst" failed.
class EPassWordListError : public Exception {
public:
    using Exception::Exception;
};

class TPassWordList {
public:
    // The link's full URL without its query.
    static std::string KeyOf(const TDownloadLink& link);

    // Replaces the entry with exactly the link's key, or puts a new one first.
    void Store(const TDownloadLink& link, const std::string& userName, const std::string& password);
    // The exact entry, else the entry of the deepest directory above the
    // link; null when there is none.
    TPassWordListEntry* Find(const TDownloadLink& link) const;

    int Count() const { return static_cast<int>(FEntries.size()); }
    TPassWordListEntry* Items(int index) const;
    void Delete(int index);
    void Clear() { FEntries.clear(); }

    // Appends the file's entries; on a locked, short or damaged file throws
    // EPassWordListError "Cannot open Passwordlist please ensure that no
    // other instance of HTTP Vorlin is Saving!", keeping the entries read.
    void LoadFromFile(const std::string& hostPath);
    // The same from the bytes of such a file.
    void LoadFromStream(TStream& stream);
    // Replaces the file once the new one is complete; throws
    // EPassWordListError "Cannot save Passwordlist ..." on failure.
    void SaveToFile(const std::string& hostPath) const;

private:
    std::vector<std::unique_ptr<TPassWordListEntry>> FEntries;
};

} // namespace vorlin
