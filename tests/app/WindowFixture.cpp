#include "tests/app/WindowFixture.h"

#include "platform/InterProcess.h"

namespace vorlin::test {

app::THttpGetForm& TWindowFixture::Open(bool docking) {
    SetInterProcessDirectoryForTests(Home.Home() + "ipc");
    app::TFormOptions options;
    options.Home = Home.Home();
    options.Docking = docking;
    options.LoadPlugins = false;
    options.Dialogs = &Dialogs;
    Window = std::make_unique<app::THttpGetForm>(options);
    Window->StartUp();
    return *Window;
}

bool TWindowFixture::Close() {
    if (!Window) return true;
    if (!Window->CloseQuery()) return false;
    Window.reset();
    return true;
}

app::TProjectNode* TWindowFixture::Node(const std::string& nodePath) const {
    return Window->Tree().FindByPath(nodePath);
}

} // namespace vorlin::test
