#include "app/dialogs/SelectFilesFromList.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/LinkChoiceModel.h"
#include "app/dialogs/MaskBar.h"
#include "project/DownloadLink.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace vorlin::app {

namespace {

// The links of the page that may be offered, each read under its lock.
std::vector<TLinkChoiceModel::TRow> OfferedLinks(TDownloadLink& page, bool firstOnly) {
    std::vector<TDownloadLink*> found;
    {
        TLinkLock lock(page);
        found = page.References;
    }
    std::vector<TLinkChoiceModel::TRow> rows;
    for (TDownloadLink* link : found) {
        if (!link) continue;
        TLinkLock lock(*link);
        if ((link->Kind != lkHttp && link->Kind != lkRelative) || link->IsForced()) continue;
        rows.push_back({link, ReadableURL(link->FullURL()), link->Level, false});
        if (firstOnly) break;
    }
    return rows;
}

} // namespace

bool TfmSelectFilesFromList::HasLinksToOffer(TDownloadProject&, TDownloadLink& page) {
    return !OfferedLinks(page, true).empty();
}

TfmSelectFilesFromList::TfmSelectFilesFromList(TDownloadProject&, TDownloadLink& page, QWidget* parent)
    : QDialog(parent) {
    AddDialogTexts();
    setObjectName("TfmSelectFilesFromList");
    std::string pageURL;
    {
        TLinkLock lock(page);
        pageURL = page.FullURL();
    }
    // The caption holds the page's address: not tagged, so a language
    // change can't put the bare "%s" back.
    setWindowTitle(DialogText(tgSelectLinksForm).replace(QStringLiteral("%s"), ReadableURL(pageURL)));

    FModel = new TLinkChoiceModel(OfferedLinks(page, false), this);
    FList = Named<QTreeView>("lvLinks", this);
    FList->setModel(FModel);
    FList->setRootIsDecorated(false);
    FList->setUniformRowHeights(true);
    FList->setAlternatingRowColors(true);
    FList->header()->setStretchLastSection(false);
    FList->header()->setSectionResizeMode(TLinkChoiceModel::coURL, QHeaderView::Stretch);
    FList->header()->setSectionResizeMode(TLinkChoiceModel::coLevel, QHeaderView::ResizeToContents);

    FMaskBar = MaskBarFor(FModel, this);

    QDialogButtonBox* buttons = OkCancelButtons(this, tgSelectOk, tgSelectCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FList, 1);
    layout->addWidget(FMaskBar);
    layout->addWidget(buttons);
    resize(620, 440);
}

void TfmSelectFilesFromList::accept() {
    for (const TLinkChoiceModel::TRow& row : FModel->Rows()) {
        TLinkLock lock(*row.Link);
        row.Link->Forced = row.Checked;
    }
    QDialog::accept();
}

} // namespace vorlin::app
