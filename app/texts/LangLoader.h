// The program's languages: TLangLoader finds the language libraries (gettext
// catalogues "NAME.mo" in the "languages" folders) and makes one of them the
// current language of the whole program: the source of Text() and of the
// message tables of the run (600-631) and of the rule descriptions
// (1800-1830). Qt-free: `vorlin` loads languages the same way.
#pragma once

#include "platform/Exception.h"

#include <memory>
#include <string>
#include <vector>

namespace vorlin {
class TMoCatalog;
}

namespace vorlin::app {

// The exception every failed load raises; Reason says what went wrong
// (for the debug log and the terminal).
class ELanguageError : public Exception {
public:
    explicit ELanguageError(std::string reason) : Exception(kMessage), Reason(std::move(reason)) {}
    static constexpr const char* kMessage = "Can not load language file!";
    std::string Reason;
};

// One loaded language library.
struct TLanguage {
    std::string Name;  // the file name without ".mo"
    std::string Path;
    std::shared_ptr<const TMoCatalog> Catalog;
};

// The folders languages come from, in order: the one beside the program,
// then the program directory's own (a user's additions; a name found in
// both is taken from the later).
std::vector<std::string> LanguageDirectories(const std::string& home);

class TLangLoader {
public:
    static constexpr const char* LangPath = "languages/";
    static constexpr const char* kExtension = ".mo";

    explicit TLangLoader(std::vector<std::string> directories);

    // Lists every "*.mo" of the folders again.
    void Discover();
    // The names of the languages found (sorted) and their files.
    const std::vector<std::string>& Languages() const { return FLanguages; }
    const std::vector<std::string>& FileNames() const { return FFileNames; }

    // Releases the current language (the built-in texts answer again), then
    // loads the named one and refills every message table from it. Throws
    // ELanguageError when it has no file or the file is damaged.
    void LoadLanguage(const std::string& name);
    // The current language; null while the built-in texts answer.
    const TLanguage* Current() const { return FCurrent.get(); }

private:
    std::string PathOf(const std::string& name) const;

    std::vector<std::string> FDirectories;
    std::vector<std::string> FLanguages;
    std::vector<std::string> FFileNames;
    std::unique_ptr<TLanguage> FCurrent;
};

// Makes the catalogue (null: the built-in texts) the program's source of
// texts and refills the run's and the rule engine's message tables from it.
void UseLanguageCatalog(const std::shared_ptr<const TMoCatalog>& catalog);

} // namespace vorlin::app
