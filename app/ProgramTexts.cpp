#include "app/ProgramTexts.h"

#include "app/MainWindowTexts.h"
#include "app/connection/ConnectionTexts.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/OptionsTexts.h"
#include "app/dialogs/TemplateTexts.h"
#include "app/texts/BookmarkTexts.h"
#include "app/texts/Texts.h"
#include "engine/RunTexts.h"
#include "rules/RuleTexts.h"
#include "update/UpdateTexts.h"

namespace vorlin::app {

void AddAllBuiltinTexts() {
    // A module with a table of its own adds its function here.
    AddMainWindowTexts();
    AddDialogTexts();
    AddOptionsTexts();
    AddTemplateDialogTexts();
    AddConnectionTexts();
    update::AddUpdateTexts();
    AddBookmarkTexts();
}

std::map<int, std::string> AllBuiltinTexts() {
    AddAllBuiltinTexts();
    std::map<int, std::string> texts;
    for (int number : BuiltinTextNumbers()) texts[number] = BuiltinText(number);
    for (const auto& [number, text] : BuiltinRunTexts()) texts[number] = text;
    for (int number = kFirstRuleText; number <= kLastRuleText; ++number) texts[number] = DefaultRuleText(number);
    return texts;
}

} // namespace vorlin::app
