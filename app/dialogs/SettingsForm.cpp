#include "app/dialogs/SettingsForm.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/SettingsAdvancedPages.h"
#include "app/dialogs/SettingsBehaviourPages.h"
#include "app/dialogs/SettingsBookmarkPages.h"
#include "app/dialogs/SettingsBrowserPages.h"
#include "app/dialogs/SettingsConnectionPages.h"
#include "ui/TreeConfig.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTreeWidgetItem>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace vorlin::app {

TSettingsForm::TSettingsForm(const TProgramSettings& record, const TSettingsOffers& offers, QWidget* parent)
    : QDialog(parent), FRecord(record) {
    AddDialogTexts();
    setObjectName("TSettingsForm");
    SetTag(this, tgSettingsForm);

    FPages = new ui::TTreeConfig(this);
    FPages->setObjectName("TreeConfig");
    // Sections with their pages, in the order of the tree.
    const std::vector<std::pair<int, std::vector<TSettingsPage*>>> sections = {
        {tgBookmarkImport,
         {new TNetscapePage, new TInternetExplorerPage, new TBrowserProfilePage(TBrowserProfilePage::kFirefox),
          new TBrowserProfilePage(TBrowserProfilePage::kChromium)}},
        {tgBehaviour, {new TClipboardPage, new TIdentificationPage, new TAutoSavePage}},
        {tgConnection, {new TProxyPage, new TTimeoutsPage, new TInternetConnectionPage}},
        {tgAdvanced, {new TDownloadDirectoryPage}},
    };
    for (const auto& [sectionTag, pages] : sections) {
        QTreeWidgetItem* section = FPages->AddSection(DialogText(sectionTag));
        section->setData(0, Qt::UserRole, sectionTag);
        for (TSettingsPage* page : pages) {
            FPages->AddPage(section, DialogText(page->Tag()), page)->setData(0, Qt::UserRole, page->Tag());
            page->Load(FRecord, offers);
            FPageList.push_back(page);
        }
    }

    QDialogButtonBox* buttons = OkCancelButtons(this, tgSettingsOk, tgSettingsCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FPages, 1);
    layout->addWidget(buttons);
    resize(640, 420);
}

TSettingsPage* TSettingsForm::Page(int tag) const {
    for (TSettingsPage* page : FPageList)
        if (page->Tag() == tag) return page;
    return nullptr;
}

void TSettingsForm::Retranslate() {
    ApplyTexts(this);
    for (QTreeWidgetItemIterator it(FPages->Tree()); *it; ++it)
        FPages->SetCaption(*it, DialogText((*it)->data(0, Qt::UserRole).toInt()));
}

void TSettingsForm::accept() {
    // Every page writes its part into the copy; fields no page shows (the
    // default template, the window layout) stay as they came.
    for (TSettingsPage* page : FPageList) page->Store(FRecord);
    QDialog::accept();
}

} // namespace vorlin::app
