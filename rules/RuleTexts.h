// The texts of the rule engine's descriptions, numbered 1800-1830 so that a
// language can replace them as a whole. The English texts are the defaults.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vorlin {

enum TRuleText : int {
    rtMaskPlaceholder = 1800,      // "'mask'"
    rtSizePlaceholder = 1801,      // "'...'"
    rtDirectoryPlaceholder = 1802, // "'...'"
    rtAnd = 1803,
    rtOr = 1804,
    rtConditionsHeading = 1805,
    rtActionsHeading = 1806,
    rtFileName = 1807,             // sentence, negated sentence, list heading, negated heading
    rtFilePath = 1811,             // the same four
    rtFileSize = 1815,             // sentence, negated sentence
    rtURL = 1817,                  // four, as the file name
    rtMimeType = 1821,             // four, as the file name
    rtForceDownload = 1825,
    rtExclude = 1826,
    rtCopyToDir = 1827,
    rtCopyKeepPath = 1828,
    rtNewRule = 1829,
    rtRuleNameCaption = 1830,
};

// Offsets from the first text of a condition's group.
constexpr int toSentence = 0;
constexpr int toNegatedSentence = 1;
constexpr int toListHeading = 2;
constexpr int toNegatedListHeading = 3;

constexpr int kFirstRuleText = 1800;
constexpr int kLastRuleText = 1830;

// The current text of a number (empty outside the table).
std::string RuleText(int id);

// Replaces the whole table from a language: a number the language lacks
// becomes empty, as with every other message table.
void ReplaceRuleTexts(const std::function<std::optional<std::string>(int id)>& lookup);
void RestoreDefaultRuleTexts();
// The built-in (English) text of a number, whatever a language replaced.
std::string DefaultRuleText(int id);

// An element's sentence and its clickable part (from 1; 0 and 0 for none).
struct TSentence {
    std::string Text;
    int LinkStart = 0;
    int LinkLength = 0;
};

// The sentence with its "%s" replaced by value, which becomes the clickable
// part; without a "%s" the sentence as it is. Texts come from a language, so
// they are never used as printf formats.
TSentence FillPlaceholder(const std::string& sentence, const std::string& value);

} // namespace vorlin
