// The "Filters" pages of the project options dialog that edit project
// fields: "File Extensions", "Limits" and "Misc". ("Advanced Filters" is
// the rule list, OptionsRulesPage.h.)
#pragma once

#include "app/dialogs/OptionsPage.h"

#include <array>
#include <cstdint>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace vorlin::app {

class TFileExtensionsPage : public TOptionsPage {
public:
    explicit TFileExtensionsPage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TDownloadProject& project) override;
    void Store(TDownloadProject& project) const override;

    // "&Hinzufügen": the edit's text becomes an entry (unless empty), the
    // edit is emptied and keeps the focus. "&Entfernen": the selected entry goes.
    void AddEntry();
    void RemoveEntry();

private:
    void Show(const std::vector<std::string>& entries);
    QListWidget* FList;
    QLineEdit* FEntry;
    QPushButton* FRemove;
};

class TLimitsPage : public TOptionsPage {
public:
    explicit TLimitsPage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TDownloadProject& project) override;
    void Store(TDownloadProject& project) const override;

    // One row: a check box that switches the limit on and its value.
    struct TLimit {
        QCheckBox* Use;
        QSpinBox* Value;
    };
    enum TLimitRow { lrMaxFileSize, lrMinFileSize, lrMaxFileCount, lrMinDriveSpace, lrMaxLevelCount, lrMaxProjSize };

private:
    std::array<TLimit, 6> FLimits{};
};

class TMiscPage : public TOptionsPage {
public:
    explicit TMiscPage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TDownloadProject& project) override;
    void Store(TDownloadProject& project) const override;

private:
    TRadioChoice FJavaScript;
    QCheckBox* FDownloadBckgrds;
    QCheckBox* FResetOnProjStart;
};

} // namespace vorlin::app
