// The main window's projects from templates: the action, Enter in
// comboUrl (HttpGetForm.cpp hands over), addresses given on the command
// line or by a second start, and the wiring of the template, clipboard and
// viewing actions.
#include "app/HttpGetForm.h"

#include "app/ClipboardWatch.h"
#include "app/ProjectFromTemplate.h"
#include "app/ProjectTreeModel.h"
#include "app/ProjectViewer.h"
#include "app/UrlCandidate.h"
#include "platform/DebugLog.h"
#include "platform/ProgramHome.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QSortFilterProxyModel>
#include <QTreeView>

namespace vorlin::app {

void THttpGetForm::CreateCompanionActions() {
    TActions& a = FActions;
    connect(a.acNewProjFromTemplate, &QAction::triggered, this, [this] { NewProjFromTemplate(); });

    FClipboard = new TClipboardWatch(QApplication::clipboard(), this);
    FClipboard->OnUrl = [this](const std::string& url) { ClipboardUrl(url); };
    connect(a.acMonitorClipboard, &QAction::toggled, this, [this](bool on) {
        FSettings.ClipboardEnabled = on;
        FClipboard->SetEnabled(on);
    });
    SyncClipboardAction();

    FViewer = std::make_unique<TProjectViewer>(ProgramDirectory());
    connect(a.acOpenInBrowser, &QAction::triggered, this,
            [this] { Guard("Error in OpenInBrowser ()", [&] { OpenInBrowser(); }); });
    ShowViewingChoice();
}

void THttpGetForm::SyncClipboardAction() {
    FActions.acMonitorClipboard->setChecked(FSettings.ClipboardEnabled);
    FClipboard->SetEnabled(FSettings.ClipboardEnabled);
}

TProjectNode* THttpGetForm::CreateProjFromTemplate(const std::string& url, const std::string& caption) {
    TProjectNode* made = nullptr;
    Guard("Error in CreateProjFromTemplate ()", [&] {
        TProjectFromTemplate steps(*FTree, *FDialogs, FSettings);
        steps.OnTemplateCreated = [this](TProjectNode* templ) {
            FProjectTreeView->expand(FTreeSort->mapFromSource(FTreeModel->IndexOf(FTree->Templates())));
            OpenOptions(templ);
        };
        made = steps.Run(url, SelectedNode(), caption);
        if (made) SelectNode(made);
    });
    return made;
}

void THttpGetForm::NewProjFromTemplate() { CreateProjFromTemplate(FComboUrl->currentText().trimmed().toStdString()); }

void THttpGetForm::OpenUrl(const std::string& url) {
    Guard("Error in OpenUrl ()", [&] {
        const std::optional<std::string> address = UrlCandidate(url);
        if (!address) {
            DebugLog("Not an http:// or https:// address, no project made: " + url.substr(0, 200));
            return;
        }
        BringToFront();
        CreateProjFromTemplate(*address);
    });
}

} // namespace vorlin::app
