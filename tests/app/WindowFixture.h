// A main window on a temporary program directory, answered by a script:
// what every window test starts from.
#pragma once

#include "app/HttpGetForm.h"
#include "tests/app/AppTestHome.h"
#include "tests/app/ScriptedDialogs.h"

#include <memory>

namespace vorlin::test {

struct TWindowFixture {
    TAppTestHome Home;
    TScriptedDialogs Dialogs;
    std::unique_ptr<app::THttpGetForm> Window;

    // Creates the window and runs its deferred start-up (settings, atom).
    app::THttpGetForm& Open(bool docking = false);
    // Closes it as the user would (answers must be scripted) and drops it.
    bool Close();
    app::TProjectNode* Node(const std::string& nodePath) const;
};

} // namespace vorlin::test
