#include "rules/RuleTexts.h"

#include <array>
#include <mutex>

namespace vorlin {

namespace {

constexpr int kTextCount = kLastRuleText - kFirstRuleText + 1;

const std::array<const char*, kTextCount> kDefaults = {
    "'mask'",
    "'...'",
    "'...'",
    "and",
    "or",
    "If the following conditions are met:",
    "then execute these actions:",
    "Filename must match the mask %s",
    "Filename must not match the mask %s",
    "FileName must match the following mask(s)",
    "FileName must not match the following mask(s)",
    "Filepath (Path + Filename) must match the mask %s",
    "Filepath (Path + Filename) must not match the mask %s",
    "Filepath (Path + Filename) must match the following mask(s)",
    "Filepath (Path + Filename) must not match the following mask(s)",
    "Filesize must be %s",
    "Filesize must not be %s",
    "URL must match the mask %s",
    "URL must not match the mask %s",
    "URL must match the following mask(s)",
    "URL must not match the following mask(s)",
    "Mimetype must match the mask %s",
    "Mimetype must not match the mask %s",
    "Mimetype must match the following mask(s)",
    "Mimetype must not match the following mask(s)",
    "Force download of this file",
    "Exclude file from download",
    "Copy file to directory %s",
    "Copy file to directory %s but keep the path to that file",
    "New Rule",
    "Name of the Rule",
};

// The run thread reads while the user-interface thread may switch language.
struct TTextTable {
    std::mutex Lock;
    std::array<std::string, kTextCount> Texts;
    TTextTable() { Restore(); }
    void Restore() {
        for (int i = 0; i < kTextCount; ++i) Texts[static_cast<size_t>(i)] = kDefaults[static_cast<size_t>(i)];
    }
};

TTextTable& Table() {
    static TTextTable table;
    return table;
}

} // namespace

std::string RuleText(int id) {
    if (id < kFirstRuleText || id > kLastRuleText) return std::string();
    std::lock_guard<std::mutex> guard(Table().Lock);
    return Table().Texts[static_cast<size_t>(id - kFirstRuleText)];
}

void ReplaceRuleTexts(const std::function<std::optional<std::string>(int id)>& lookup) {
    std::array<std::string, kTextCount> texts;
    for (int i = 0; i < kTextCount; ++i) texts[static_cast<size_t>(i)] = lookup(kFirstRuleText + i).value_or("");
    std::lock_guard<std::mutex> guard(Table().Lock);
    Table().Texts = std::move(texts);
}

std::string DefaultRuleText(int id) {
    if (id < kFirstRuleText || id > kLastRuleText) return std::string();
    return kDefaults[static_cast<size_t>(id - kFirstRuleText)];
}

void RestoreDefaultRuleTexts() {
    std::lock_guard<std::mutex> guard(Table().Lock);
    Table().Restore();
}

TSentence FillPlaceholder(const std::string& sentence, const std::string& value) {
    size_t at = sentence.find("%s");
    if (at == std::string::npos) return {sentence, 0, 0};
    return {sentence.substr(0, at) + value + sentence.substr(at + 2), static_cast<int>(at + 1),
            static_cast<int>(value.size())};
}

} // namespace vorlin
