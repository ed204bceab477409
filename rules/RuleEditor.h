// The dialogs that edit rules and their elements belong to the desktop
// front end, which installs an editor here. Without one, editing changes
// nothing and answers "not confirmed". The elements take care of restoring
// their settings when a dialog is cancelled, so an editor may change the
// object it is handed directly.
#pragma once

#include "platform/Stream.h"

#include <string>

namespace vorlin {

class THTTPVorlinRule;
class THTTPVorlinMaskCondition;
class TFileSizeCondition;

class IRuleEditor {
public:
    virtual ~IRuleEditor() = default;
    // "Properties of this Filter Rule: " + Name.
    virtual bool EditRule(THTTPVorlinRule& rule) = 0;
    // "Properties of this Condition".
    virtual bool EditMaskCondition(THTTPVorlinMaskCondition& condition) = 0;
    virtual bool EditFileSizeCondition(TFileSizeCondition& condition) = 0;
    // "Ordner auswählen", opened on directory; true with the chosen folder in it.
    virtual bool ChooseDirectory(std::string& directory) = 0;
};

// The installed editor (not owned), or nullptr.
void SetRuleEditor(IRuleEditor* editor);
IRuleEditor* RuleEditor();

// Runs a dialog on target (a rule or an element); unless it is confirmed,
// target gets back the settings it had before, from a stream snapshot.
template <class T, class TDialog> bool EditOrRestore(T& target, TDialog&& dialog) {
    TMemoryStream snapshot;
    target.SaveToStream(snapshot);
    auto restore = [&] {
        snapshot.SetPosition(0);
        target.LoadFromStream(snapshot);
    };
    bool confirmed = false;
    try {
        confirmed = dialog();
    } catch (...) {
        restore();
        throw;
    }
    if (!confirmed) restore();
    return confirmed;
}

} // namespace vorlin
