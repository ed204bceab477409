#include "app/dialogs/OptionsForm.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/OptionsFilterPages.h"
#include "app/dialogs/OptionsGeneralPages.h"
#include "app/dialogs/OptionsMannersPage.h"
#include "app/dialogs/OptionsPluginsPage.h"
#include "app/dialogs/OptionsRulesPage.h"
#include "app/dialogs/OptionsTexts.h"
#include "app/texts/Texts.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "rules/HTTPVorlinRules.h"
#include "ui/TreeConfig.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

#include <exception>

namespace vorlin::app {

std::string ProjectBaseOf(const std::string& projectFile) {
    const std::string suffix = ".prj";
    if (projectFile.size() >= suffix.size() && projectFile.compare(projectFile.size() - suffix.size(), suffix.size(), suffix) == 0)
        return projectFile.substr(0, projectFile.size() - suffix.size());
    return projectFile;
}

TOptionsForm::TOptionsForm(TDownloadProject& project, TOptionsFormContext context, QWidget* parent)
    : QDialog(parent), FProject(project), FContext(std::move(context)), FRules(std::make_unique<THTTPVorlinRules>()) {
    AddOptionsTexts();
    setObjectName("TOptionsForm");
    SetTag(this, tgOptionsForm);
    const std::string base = ProjectBaseOf(FContext.ProjectFile);

    const std::string rulesFile = RulesFileOfProjectFile(FContext.ProjectFile);
    if (FileExists(rulesFile)) {
        try {
            FRules->LoadFromFile(rulesFile);
        } catch (const std::exception& e) {
            // Writing the list back would lose the rules that could not be read.
            FRulesUnreadable = true;
            DebugLogReport("Error in FormShow ()", e.what());
        }
    }

    FPages = new ui::TTreeConfig(this);
    FPages->setObjectName("TreeConfig");
    FStartData = new TStartDataPage(FContext.URLText, FContext.IsTemplate);
    const std::vector<std::pair<int, std::vector<TOptionsPage*>>> fieldSections = {
        {tgGeneral, {new TProjectModePage, new TScopePage, FStartData, new TMannersPage}},
        {tgFilters, {new TFileExtensionsPage, new TLimitsPage, new TMiscPage}},
    };
    for (const auto& [sectionTag, pages] : fieldSections) {
        QTreeWidgetItem* section = FPages->AddSection(QString::fromStdString(Text(sectionTag)));
        section->setData(0, Qt::UserRole, sectionTag);
        for (TOptionsPage* page : pages) {
            FPages->AddPage(section, QString::fromStdString(Text(page->Tag())), page)->setData(0, Qt::UserRole, page->Tag());
            // A new project keeps the pages' initial states.
            if (!FProject.IsNew) page->Load(FProject);
            FFieldPages.push_back(page);
        }
        if (sectionTag == tgFilters) {
            FRulesPage = new TAdvancedFiltersPage(*FRules, FRulesUnreadable);
            FPages->AddPage(section, QString::fromStdString(Text(tgAdvancedFilters)), FRulesPage)
                ->setData(0, Qt::UserRole, int(tgAdvancedFilters));
        }
    }
    FPluginsPage = new TPluginsPage(FContext.Plugins, base + ".prj.plugins", base + ".dat.plugins");
    FPages->AddPage(nullptr, QString::fromStdString(Text(tgPlugins)), FPluginsPage)->setData(0, Qt::UserRole, int(tgPlugins));
    FPages->Tree()->expandAll();

    QDialogButtonBox* buttons = OkCancelButtons(this, tgOptionsOk, tgOptionsCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FPages, 1);
    layout->addWidget(buttons);
    resize(720, 470);

    ConfirmURLChange = [this](const std::string& warning) {
        return QMessageBox::warning(this, windowTitle(), QString::fromStdString(warning),
                                    QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    };
}

TOptionsForm::~TOptionsForm() = default;

QWidget* TOptionsForm::Page(int tag) const {
    if (tag == tgAdvancedFilters) return FRulesPage;
    if (tag == tgPlugins) return FPluginsPage;
    for (TOptionsPage* page : FFieldPages)
        if (page->Tag() == tag) return page;
    return nullptr;
}

void TOptionsForm::accept() {
    Guarded("Error in btOKClick ()", [this] {
        const std::string url = FStartData->URLText();
        // A downloaded project's links and files belong to its old address.
        if (url != FProject.URL && !FProject.URL.empty() && FileExists(ProjectBaseOf(FContext.ProjectFile) + ".dat") &&
            !ConfirmURLChange(Text(tgURLChangeWarning)))
            return;
        for (TOptionsPage* page : FFieldPages) page->Store(FProject);
        FProject.IsNew = false;
        QDialog::accept();
    });
}

void TOptionsForm::Close() {
    if (FClosed) return;
    FClosed = true;
    std::exception_ptr pluginError;
    try {
        FPluginsPage->StoreStates();
    } catch (...) {
        pluginError = std::current_exception();
    }
    FRulesPage->Clear();
    // The rules are written even when a plugin failed: they are the user's work.
    if (result() == QDialog::Accepted && !FRulesUnreadable)
        FRules->SaveToFile(RulesFileOfProjectFile(FContext.ProjectFile));
    if (pluginError) std::rethrow_exception(pluginError);
}

} // namespace vorlin::app
