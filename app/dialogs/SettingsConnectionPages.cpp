#include "app/dialogs/SettingsConnectionPages.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vorlin::app {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QLineEdit* edit) { return edit->text().trimmed().toStdString(); }

// A label that names the control it stands before.
QLabel* LabelFor(int tag, const char* name, QWidget* control, QWidget* parent) {
    auto* label = Tagged<QLabel>(tag, name, parent);
    label->setBuddy(control);
    return label;
}

} // namespace

// --- Proxy ------------------------------------------------------------------------------

TProxyPage::TProxyPage(QWidget* parent) : TSettingsPage(parent) {
    FUseProxy = Tagged<QCheckBox>(tgUseProxy, "cbUseProxy", this);
    FFields = Named<QGroupBox>("gbProxy", this);
    FServer = Named<QLineEdit>("edProxyServer", FFields);
    FPort = Named<QLineEdit>("edProxyPort", FFields);
    FPort->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), FPort));
    FPort->setMaximumWidth(FPort->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    FUserName = Named<QLineEdit>("edProxyUserName", FFields);
    FPassword = Named<QLineEdit>("edProxyPassword", FFields);
    FPassword->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout(FFields);
    form->addRow(LabelFor(tgProxyServer, "lbProxyServer", FServer, FFields), FServer);
    form->addRow(LabelFor(tgProxyPort, "lbProxyPort", FPort, FFields), FPort);
    form->addRow(LabelFor(tgProxyUserName, "lbProxyUserName", FUserName, FFields), FUserName);
    form->addRow(LabelFor(tgProxyPassword, "lbProxyPassword", FPassword, FFields), FPassword);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FUseProxy);
    layout->addWidget(FFields);
    layout->addStretch(1);
    connect(FUseProxy, &QCheckBox::toggled, FFields, &QGroupBox::setEnabled);
}

int TProxyPage::Tag() const { return tgProxy; }

void TProxyPage::Load(const TProgramSettings& record, const TSettingsOffers&) {
    FUseProxy->setChecked(record.ProxyEnabled);
    FServer->setText(Q(record.ProxyServer));
    FPort->setText(Q(record.ProxyPort));
    FUserName->setText(Q(record.ProxyUserName));
    FPassword->setText(Q(record.ProxyPassword));
    FFields->setEnabled(record.ProxyEnabled);
}

void TProxyPage::Store(TProgramSettings& record) const {
    record.ProxyEnabled = FUseProxy->isChecked();
    record.ProxyServer = S(FServer);
    record.ProxyPort = S(FPort);
    record.ProxyUserName = S(FUserName);
    // A password may begin or end with blanks.
    record.ProxyPassword = FPassword->text().toStdString();
}

// --- Timeouts -----------------------------------------------------------------------------

TTimeoutsPage::TTimeoutsPage(QWidget* parent) : TSettingsPage(parent) {
    FEnabled = Tagged<QCheckBox>(tgTimeOutEnabled, "cbTimeOutEnabled", this);
    FLength = Named<QSpinBox>("seTimeOutLength", this);
    FLength->setRange(0, 32000);
    FTries = Named<QSpinBox>("seNumberOfTries", this);
    FTries->setRange(0, 32767);

    auto* grid = new QGridLayout;
    grid->addWidget(LabelFor(tgTimeOutLength, "lbTimeOutLength", FLength, this), 0, 0);
    grid->addWidget(FLength, 0, 1);
    grid->addWidget(Tagged<QLabel>(tgTimeOutSeconds, "lbTimeOutSeconds", this), 0, 2);
    grid->addWidget(LabelFor(tgNumberOfTries, "lbNumberOfTries", FTries, this), 1, 0);
    grid->addWidget(FTries, 1, 1);
    grid->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FEnabled);
    layout->addLayout(grid);
    layout->addStretch(1);
    connect(FEnabled, &QCheckBox::toggled, FLength, &QSpinBox::setEnabled);
}

int TTimeoutsPage::Tag() const { return tgTimeouts; }

void TTimeoutsPage::Load(const TProgramSettings& record, const TSettingsOffers&) {
    FEnabled->setChecked(record.TimeOutEnabled);
    FLength->setValue(record.TimeOutLength);
    FLength->setEnabled(record.TimeOutEnabled);
    FTries->setValue(record.NumberOfTries);
}

void TTimeoutsPage::Store(TProgramSettings& record) const {
    record.TimeOutEnabled = FEnabled->isChecked();
    record.TimeOutLength = static_cast<int16_t>(FLength->value());
    record.NumberOfTries = static_cast<int16_t>(FTries->value());
}

// --- Internet Connection ----------------------------------------------------------------------

TInternetConnectionPage::TInternetConnectionPage(QWidget* parent) : TSettingsPage(parent) {
    auto* types = Tagged<QGroupBox>(tgConnType, "rgConnType", this);
    FType[0] = Tagged<QRadioButton>(tgConnDirect, "rbConnDirect", types);
    FType[1] = Tagged<QRadioButton>(tgConnDialUp, "rbConnDialUp", types);
    FType[2] = Tagged<QRadioButton>(tgConnOther, "rbConnOther", types);
    auto* typeLayout = new QVBoxLayout(types);
    for (QRadioButton* button : FType) {
        typeLayout->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this] { UpdateEnabled(); });
    }

    FDialUp = Tagged<QGroupBox>(tgDialUp, "gbDialUp", this);
    FEntry = Named<QComboBox>("cbDialUpEntry", FDialUp);
    FDialUpUserName = Named<QLineEdit>("edDialUpUserName", FDialUp);
    FDialUpPassword = Named<QLineEdit>("edDialUpPassword", FDialUp);
    FDialUpPassword->setEchoMode(QLineEdit::Password);
    auto* dialUp = new QFormLayout(FDialUp);
    dialUp->addRow(LabelFor(tgDialUpEntry, "lbDialUpEntry", FEntry, FDialUp), FEntry);
    dialUp->addRow(LabelFor(tgDialUpUserName, "lbDialUpUserName", FDialUpUserName, FDialUp), FDialUpUserName);
    dialUp->addRow(LabelFor(tgDialUpPassword, "lbDialUpPassword", FDialUpPassword, FDialUp), FDialUpPassword);

    FOtherSoftware = Tagged<QGroupBox>(tgOtherSoftware, "gbOtherSoftware", this);
    FConnScript = Named<QLineEdit>("edConnScript", FOtherSoftware);
    FDisConnScript = Named<QLineEdit>("edDisConnScript", FOtherSoftware);
    FDisConnWndName = Named<QLineEdit>("edDisConnWndName", FOtherSoftware);
    auto* other = new QGridLayout(FOtherSoftware);
    other->addWidget(LabelFor(tgConnScript, "lbConnScript", FConnScript, FOtherSoftware), 0, 0);
    other->addWidget(FConnScript, 0, 1);
    other->addWidget(BrowseButton(tgConnScriptBrowse, "btConnScript", FConnScript, TBrowseFor::bfProgram, FOtherSoftware), 0, 2);
    other->addWidget(LabelFor(tgDisConnScript, "lbDisConnScript", FDisConnScript, FOtherSoftware), 1, 0);
    other->addWidget(FDisConnScript, 1, 1);
    other->addWidget(
        BrowseButton(tgDisConnScriptBrowse, "btDisConnScript", FDisConnScript, TBrowseFor::bfProgram, FOtherSoftware), 1, 2);
    other->addWidget(LabelFor(tgDisConnWndName, "lbDisConnWndName", FDisConnWndName, FOtherSoftware), 2, 0);
    other->addWidget(FDisConnWndName, 2, 1, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(types);
    layout->addWidget(FDialUp);
    layout->addWidget(FOtherSoftware);
    layout->addStretch(1);
}

int TInternetConnectionPage::Tag() const { return tgInternetConnection; }

void TInternetConnectionPage::Load(const TProgramSettings& record, const TSettingsOffers& offers) {
    if (record.ConnType < 3) FType[record.ConnType]->setChecked(true);
    FStoredEntry = record.DialUpEntry;
    FillEntries(offers.PhoneBookEntries, record.DialUpEntry);
    // The profiles may have changed since they were last listed: the combo
    // follows the fresh list when it comes, keeping the user's choice.
    if (offers.RefreshPhoneBook) {
        QPointer<TInternetConnectionPage> page(this);
        offers.RefreshPhoneBook([page](const std::vector<std::string>& entries) {
            if (!page) return;
            const std::string chosen =
                page->FEntry->currentIndex() >= 0 ? page->FEntry->currentText().toStdString() : page->FStoredEntry;
            page->FillEntries(entries, chosen);
        });
    }
    FDialUpUserName->setText(Q(record.DialUpUserName));
    FDialUpPassword->setText(Q(record.DialUpPassword));
    FConnScript->setText(Q(record.ConnScript));
    FDisConnScript->setText(Q(record.DisConnScript));
    FDisConnWndName->setText(Q(record.DisConnWndName));
    UpdateEnabled();
}

void TInternetConnectionPage::Store(TProgramSettings& record) const {
    for (uint8_t type = 0; type < 3; ++type)
        if (FType[type]->isChecked()) record.ConnType = type;
    record.DialUpEntry = FEntry->count() > 0 ? FEntry->currentText().toStdString() : FStoredEntry;
    record.DialUpUserName = S(FDialUpUserName);
    record.DialUpPassword = FDialUpPassword->text().toStdString();
    record.ConnScript = S(FConnScript);
    record.DisConnScript = S(FDisConnScript);
    record.DisConnWndName = S(FDisConnWndName);
}

void TInternetConnectionPage::FillEntries(const std::vector<std::string>& entries, const std::string& chosen) {
    FEntry->clear();
    for (const std::string& entry : entries) FEntry->addItem(Q(entry));
    // An entry no longer in the phone book falls back to the first one offered.
    const int stored = FEntry->findText(Q(chosen), Qt::MatchExactly);
    FEntry->setCurrentIndex(stored >= 0 ? stored : FEntry->count() > 0 ? 0 : -1);
}

void TInternetConnectionPage::UpdateEnabled() {
    FDialUp->setEnabled(FType[1]->isChecked());
    FOtherSoftware->setEnabled(FType[2]->isChecked());
}

} // namespace vorlin::app
