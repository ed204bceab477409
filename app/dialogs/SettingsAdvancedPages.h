// The "Advanced" page of the settings dialog: the default download
// directory, picked in a tree of the file system's folders or typed.
#pragma once

#include "app/dialogs/SettingsPage.h"

class QCheckBox;
class QFileSystemModel;
class QLineEdit;
class QTreeView;

namespace vorlin::app {

class TDownloadDirectoryPage : public TSettingsPage {
public:
    explicit TDownloadDirectoryPage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TProgramSettings& record, const TSettingsOffers& offers) override;
    void Store(TProgramSettings& record) const override;

private:
    // Shows a typed directory in the tree when it exists.
    void FollowTypedDirectory();

    QLineEdit* FDirectory;
    QTreeView* FTree;
    QFileSystemModel* FFolders;
    QCheckBox* FAlwaysUse;
    bool FPicking = false;  // the tree is filling the edit
};

} // namespace vorlin::app
