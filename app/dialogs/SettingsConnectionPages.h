// The "Connection" pages of the settings dialog: the proxy, the time-outs
// and retries, and how the computer gets onto the internet.
#pragma once

#include "app/dialogs/SettingsPage.h"

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace vorlin::app {

class TProxyPage : public TSettingsPage {
public:
    explicit TProxyPage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TProgramSettings& record, const TSettingsOffers& offers) override;
    void Store(TProgramSettings& record) const override;

private:
    QCheckBox* FUseProxy;
    QGroupBox* FFields;
    QLineEdit* FServer;
    QLineEdit* FPort;
    QLineEdit* FUserName;
    QLineEdit* FPassword;
};

class TTimeoutsPage : public TSettingsPage {
public:
    explicit TTimeoutsPage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TProgramSettings& record, const TSettingsOffers& offers) override;
    void Store(TProgramSettings& record) const override;

private:
    QCheckBox* FEnabled;
    QSpinBox* FLength;
    QSpinBox* FTries;
};

class TInternetConnectionPage : public TSettingsPage {
public:
    explicit TInternetConnectionPage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TProgramSettings& record, const TSettingsOffers& offers) override;
    void Store(TProgramSettings& record) const override;

private:
    void UpdateEnabled();
    void FillEntries(const std::vector<std::string>& entries, const std::string& chosen);

    QRadioButton* FType[3];  // by connection type
    QGroupBox* FDialUp;
    QComboBox* FEntry;
    QLineEdit* FDialUpUserName;
    QLineEdit* FDialUpPassword;
    QGroupBox* FOtherSoftware;
    QLineEdit* FConnScript;
    QLineEdit* FDisConnScript;
    QLineEdit* FDisConnWndName;
    std::string FStoredEntry;  // kept when no entry is offered
};

} // namespace vorlin::app
