// The "General" pages of the project options dialog: "Project Mode",
// "Scope" and "Start Data".
#pragma once

#include "app/dialogs/OptionsPage.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vorlin::app {

class TProjectModePage : public TOptionsPage {
public:
    explicit TProjectModePage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TDownloadProject& project) override;
    void Store(TDownloadProject& project) const override;

private:
    // The invalid-character choice counts only while mirroring.
    void UpdateEnabled();
    TRadioChoice FMode;
    TRadioChoice FInvalidChars;
    QLineEdit* FMirroringChangeQ;
};

class TScopePage : public TOptionsPage {
public:
    explicit TScopePage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TDownloadProject& project) override;
    void Store(TDownloadProject& project) const override;

private:
    void UpdateEnabled();
    TRadioChoice FScope;
    QCheckBox* FFollowExternalLinks;
    QCheckBox* FUseMaxExternalLevelCount;
    QSpinBox* FMaxExternalLevelCount;
    QCheckBox* FFollowExternalImages;
};

class TStartDataPage : public TOptionsPage {
public:
    // A template has no URL and no target directory of its own: their
    // fields are hidden.
    TStartDataPage(const std::string& urlText, bool isTemplate, QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TDownloadProject& project) override;
    void Store(TDownloadProject& project) const override;
    // The URL as it stands in the edit.
    std::string URLText() const;

private:
    void UpdateEnabled();
    QLineEdit* FURL;
    QLineEdit* FDestination;
    QCheckBox* FUseAutentfication;
    QLabel* FUserNameLabel;
    QLineEdit* FUserName;
    QLabel* FPasswordLabel;
    QLineEdit* FPassword;
};

} // namespace vorlin::app
