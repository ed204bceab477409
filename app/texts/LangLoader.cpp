#include "app/texts/LangLoader.h"

#include "app/texts/Texts.h"
#include "engine/RunTexts.h"
#include "platform/FileSystem.h"
#include "platform/MoCatalog.h"
#include "platform/ProgramHome.h"
#include "rules/RuleTexts.h"

#include <algorithm>
#include <map>

namespace vorlin::app {

namespace {

constexpr int kFirstRunText = 600;
constexpr int kLastRunText = 631;

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A name from the settings file or the command line names a file in a
// languages folder, never a path.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

} // namespace

std::vector<std::string> LanguageDirectories(const std::string& home) {
    std::vector<std::string> directories{ProgramDirectory() + TLangLoader::LangPath};
    if (!home.empty()) {
        const std::string own = IncludeTrailingSlash(home) + TLangLoader::LangPath;
        if (own != directories.front()) directories.push_back(own);
    }
    return directories;
}

TLangLoader::TLangLoader(std::vector<std::string> directories) : FDirectories(std::move(directories)) {
    for (std::string& directory : FDirectories) directory = IncludeTrailingSlash(directory);
    Discover();
}

void TLangLoader::Discover() {
    std::map<std::string, std::string> found;  // name -> file
    for (const std::string& directory : FDirectories) {
        if (!DirectoryExists(directory)) continue;
        for (const std::string& entry : ListDirectory(directory)) {
            if (!EndsWith(entry, kExtension) || entry.size() == std::string(kExtension).size()) continue;
            if (!FileExists(directory + entry)) continue;
            found[entry.substr(0, entry.size() - std::string(kExtension).size())] = directory + entry;
        }
    }
    FLanguages.clear();
    FFileNames.clear();
    for (const auto& [name, file] : found) {
        FLanguages.push_back(name);
        FFileNames.push_back(file);
    }
}

std::string TLangLoader::PathOf(const std::string& name) const {
    for (size_t i = 0; i < FLanguages.size(); ++i)
        if (FLanguages[i] == name) return FFileNames[i];
    // A library added since the last discovery still loads.
    for (auto it = FDirectories.rbegin(); it != FDirectories.rend(); ++it)
        if (FileExists(*it + name + kExtension)) return *it + name + kExtension;
    return FDirectories.empty() ? std::string() : FDirectories.front() + name + kExtension;
}

void TLangLoader::LoadLanguage(const std::string& name) {
    FCurrent.reset();
    UseLanguageCatalog(nullptr);
    if (!IsPlainName(name)) throw ELanguageError("\"" + name + "\" is not the name of a language");
    auto language = std::make_unique<TLanguage>();
    language->Name = name;
    language->Path = PathOf(name);
    try {
        language->Catalog = std::make_shared<const TMoCatalog>(TMoCatalog::LoadFromFile(language->Path));
    } catch (const std::exception& e) {
        throw ELanguageError(language->Path + ": " + e.what());
    }
    UseLanguageCatalog(language->Catalog);
    FCurrent = std::move(language);
}

void UseLanguageCatalog(const std::shared_ptr<const TMoCatalog>& catalog) {
    SetTextSource(catalog);
    if (!catalog) {
        ResetRunTexts();
        RestoreDefaultRuleTexts();
        return;
    }
    std::map<int, std::string> runTexts;
    for (int number = kFirstRunText; number <= kLastRunText; ++number)
        if (const std::string* text = catalog->Find(number)) runTexts[number] = *text;
    SetRunTexts(runTexts);
    ReplaceRuleTexts([&catalog](int number) -> std::optional<std::string> {
        const std::string* text = catalog->Find(number);
        return text ? std::optional<std::string>(*text) : std::nullopt;
    });
}

} // namespace vorlin::app
