#include "app/dialogs/SettingsAdvancedPages.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

namespace vorlin::app {

TDownloadDirectoryPage::TDownloadDirectoryPage(QWidget* parent) : TSettingsPage(parent) {
    auto* label = Tagged<QLabel>(tgDefaultDownloadDir, "lbDefaultDownloadDir", this);
    FDirectory = Named<QLineEdit>("edDefaultDownloadDir", this);
    label->setBuddy(FDirectory);

    FFolders = new QFileSystemModel(this);
    FFolders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    FFolders->setReadOnly(true);
    FFolders->setRootPath(QDir::rootPath());
    FTree = Named<QTreeView>("tvDownloadDir", this);
    FTree->setModel(FFolders);
    FTree->setHeaderHidden(true);
    for (int column = 1; column < FFolders->columnCount(); ++column) FTree->hideColumn(column);

    FAlwaysUse = Tagged<QCheckBox>(tgAlwaysUseDefaultDir, "cbAlwaysUseDefaultDir", this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(FDirectory);
    layout->addWidget(FTree, 1);
    layout->addWidget(FAlwaysUse);

    connect(FTree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (!current.isValid()) return;
        FPicking = true;
        FDirectory->setText(QDir::toNativeSeparators(FFolders->filePath(current)));
        FPicking = false;
    });
    connect(FDirectory, &QLineEdit::textEdited, this, [this] { FollowTypedDirectory(); });
}

int TDownloadDirectoryPage::Tag() const { return tgDownloadDirectory; }

void TDownloadDirectoryPage::Load(const TProgramSettings& record, const TSettingsOffers&) {
    FDirectory->setText(QString::fromStdString(record.DefaultDownloadDir));
    FollowTypedDirectory();
    FAlwaysUse->setChecked(record.AlwaysUseDefaultDir);
}

void TDownloadDirectoryPage::Store(TProgramSettings& record) const {
    record.DefaultDownloadDir = FDirectory->text().trimmed().toStdString();
    record.AlwaysUseDefaultDir = FAlwaysUse->isChecked();
}

void TDownloadDirectoryPage::FollowTypedDirectory() {
    if (FPicking) return;
    const QString typed = FDirectory->text().trimmed();
    if (typed.isEmpty() || !QFileInfo(typed).isDir()) return;
    const QModelIndex index = FFolders->index(QDir::cleanPath(typed));
    if (!index.isValid()) return;
    // Selecting would write the cleaned path back over what was typed.
    FPicking = true;
    FTree->setCurrentIndex(index);
    FPicking = false;
    FTree->scrollTo(index);
}

} // namespace vorlin::app
