// The "Behaviour" pages of the settings dialog: the reaction to URLs copied
// to the clipboard, the identification sent to servers, and autosave.
#pragma once

#include "app/dialogs/SettingsPage.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QRadioButton;
class QSpinBox;

namespace vorlin::app {

class TClipboardPage : public TSettingsPage {
public:
    explicit TClipboardPage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TProgramSettings& record, const TSettingsOffers& offers) override;
    void Store(TProgramSettings& record) const override;

private:
    QCheckBox* FEnabled;
    QGroupBox* FTypes;
    QRadioButton* FType[3];  // by clipboard reaction mode
};

class TIdentificationPage : public TSettingsPage {
public:
    // The entries offered in the list; any other text may be typed.
    static const char* const kAgents[4];

    explicit TIdentificationPage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TProgramSettings& record, const TSettingsOffers& offers) override;
    void Store(TProgramSettings& record) const override;

private:
    QComboBox* FIdentifyAs;
};

class TAutoSavePage : public TSettingsPage {
public:
    explicit TAutoSavePage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TProgramSettings& record, const TSettingsOffers& offers) override;
    void Store(TProgramSettings& record) const override;

private:
    QCheckBox* FEnabled;
    QSpinBox* FMinutes;
};

} // namespace vorlin::app
