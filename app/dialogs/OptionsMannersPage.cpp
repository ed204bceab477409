#include "app/dialogs/OptionsMannersPage.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/OptionsTexts.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vorlin::app {

namespace {

// A cookies file as typed: a relative name (or one after "~/") means one in
// the home folder, not in whatever directory the program started in.
std::string CookiesPath(const QLineEdit* edit) {
    QString text = edit->text().trimmed();
    if (text.isEmpty()) return std::string();
    if (text.startsWith(QStringLiteral("~/"))) text.remove(0, 2);
    return QDir::cleanPath(QDir::home().absoluteFilePath(text)).toStdString();
}

} // namespace

int RateLimitShownKB(int64_t bytesPerSecond) {
    if (bytesPerSecond <= 0) return 0;
    // Rounded without adding first: any 64-bit rate a file holds is taken.
    const int64_t kb = std::max<int64_t>(1, bytesPerSecond / 1024 + (bytesPerSecond % 1024 >= 512 ? 1 : 0));
    return static_cast<int>(std::min<int64_t>(kb, TMannersPage::kMaxRateKB));
}

int64_t RateLimitBytes(int kilobytesPerSecond) { return int64_t(std::max(0, kilobytesPerSecond)) * 1024; }

TMannersPage::TMannersPage(QWidget* parent) : TOptionsPage(parent) {
    AddOptionsTexts();
    auto* servers = Tagged<QGroupBox>(tgServersGroup, "gbServers", this);
    FObeyRobots = Tagged<QCheckBox>(tgObeyRobots, "cbObeyRobots", servers);
    FRobotsIgnored = Tagged<QLabel>(tgRobotsIgnored, "lbRobotsIgnored", servers);
    FRobotsIgnored->setWordWrap(true);
    FRobotsIgnored->setContentsMargins(24, 0, 0, 0);
    FRobotsIgnored->setStyleSheet(QStringLiteral("color: #b00000"));

    FWaitSeconds = Named<QDoubleSpinBox>("seWaitSeconds", servers);
    FWaitSeconds->setDecimals(2);
    FWaitSeconds->setRange(0, kMaxWaitSeconds);
    FWaitSeconds->setSingleStep(0.5);
    FRandomWait = Tagged<QCheckBox>(tgRandomWait, "cbRandomWait", servers);
    FLimitRate = Named<QSpinBox>("seLimitRate", servers);
    FLimitRate->setRange(0, kMaxRateKB);
    FLimitRate->setSingleStep(10);

    auto* numbers = new QGridLayout;
    numbers->addWidget(BuddyLabel(tgWaitSeconds, "lbWaitSeconds", FWaitSeconds, servers), 0, 0);
    numbers->addWidget(FWaitSeconds, 0, 1);
    numbers->addWidget(Tagged<QLabel>(tgWaitUnit, "lbWaitUnit", servers), 0, 2);
    auto* random = new QHBoxLayout;
    random->setContentsMargins(24, 0, 0, 0);
    random->addWidget(FRandomWait);
    numbers->addLayout(random, 1, 0, 1, 3);
    numbers->addWidget(BuddyLabel(tgLimitRate, "lbLimitRate", FLimitRate, servers), 2, 0);
    numbers->addWidget(FLimitRate, 2, 1);
    numbers->addWidget(Tagged<QLabel>(tgLimitRateUnit, "lbLimitRateUnit", servers), 2, 2);
    numbers->setColumnStretch(3, 1);
    auto* serversLayout = new QVBoxLayout(servers);
    serversLayout->addWidget(FObeyRobots);
    serversLayout->addWidget(FRobotsIgnored);
    serversLayout->addLayout(numbers);

    auto* cookies = Tagged<QGroupBox>(tgCookiesGroup, "gbCookies", this);
    FLoadCookies = Named<QLineEdit>("edLoadCookies", cookies);
    FSaveCookies = Named<QLineEdit>("edSaveCookies", cookies);
    FKeepSessionCookies = Tagged<QCheckBox>(tgKeepSessionCookies, "cbKeepSessionCookies", cookies);
    auto* cookiesLayout = new QGridLayout(cookies);
    cookiesLayout->addWidget(BuddyLabel(tgLoadCookies, "lbLoadCookies", FLoadCookies, cookies), 0, 0);
    cookiesLayout->addWidget(FLoadCookies, 0, 1);
    cookiesLayout->addWidget(
        BrowseButton(tgLoadCookiesBrowse, "btLoadCookies", FLoadCookies, TBrowseFor::bfCookiesFile, cookies), 0, 2);
    cookiesLayout->addWidget(BuddyLabel(tgSaveCookies, "lbSaveCookies", FSaveCookies, cookies), 1, 0);
    cookiesLayout->addWidget(FSaveCookies, 1, 1);
    cookiesLayout->addWidget(
        BrowseButton(tgSaveCookiesBrowse, "btSaveCookies", FSaveCookies, TBrowseFor::bfCookiesSaveFile, cookies), 1, 2);
    cookiesLayout->addWidget(FKeepSessionCookies, 2, 1, 1, 2);

    auto* page = new QVBoxLayout(this);
    page->addWidget(servers);
    page->addWidget(cookies);
    page->addStretch(1);

    // Initial states of a new project: the settings' own defaults.
    const TProjectManners defaults;
    FObeyRobots->setChecked(defaults.ObeyRobots);
    FWaitSeconds->setValue(defaults.WaitSeconds);
    FRandomWait->setChecked(defaults.RandomWait);
    FLimitRate->setValue(RateLimitShownKB(defaults.LimitRate));
    FKeepSessionCookies->setChecked(defaults.KeepSessionCookies);
    FLoadedWait = FShownWait = FWaitSeconds->value();
    FLoadedRate = RateLimitBytes(FLimitRate->value());

    connect(FObeyRobots, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    connect(FWaitSeconds, &QDoubleSpinBox::valueChanged, this, [this] { UpdateEnabled(); });
    connect(FSaveCookies, &QLineEdit::textChanged, this, [this] { UpdateEnabled(); });
    UpdateEnabled();
}

int TMannersPage::Tag() const { return tgManners; }

void TMannersPage::Load(const TDownloadProject& project) {
    const TProjectManners& manners = project.Manners;
    FObeyRobots->setChecked(manners.ObeyRobots);
    // Never wider than a day: a number of hundreds of digits from an edited
    // file would stretch the dialog past the screen.
    FWaitSeconds->setMaximum(std::clamp(manners.WaitSeconds, kMaxWaitSeconds, kLongestWaitSeconds));
    FWaitSeconds->setValue(manners.WaitSeconds);
    FRandomWait->setChecked(manners.RandomWait);
    FLimitRate->setValue(RateLimitShownKB(manners.LimitRate));
    FLoadCookies->setText(QString::fromStdString(manners.LoadCookies));
    FSaveCookies->setText(QString::fromStdString(manners.SaveCookies));
    FKeepSessionCookies->setChecked(manners.KeepSessionCookies);
    FLoadedWait = manners.WaitSeconds;
    FShownWait = FWaitSeconds->value();
    FLoadedRate = manners.LimitRate;
    UpdateEnabled();
}

void TMannersPage::Store(TDownloadProject& project) const {
    TProjectManners& manners = project.Manners;
    manners.ObeyRobots = FObeyRobots->isChecked();
    // Shown rounded: a wait of 0.125 s or a limit of 300 bytes per second
    // stays exact unless the user changes the number.
    manners.WaitSeconds = FWaitSeconds->value() == FShownWait ? FLoadedWait : FWaitSeconds->value();
    const bool rateAsShown = FLimitRate->value() == RateLimitShownKB(FLoadedRate);
    manners.LimitRate = rateAsShown ? FLoadedRate : RateLimitBytes(FLimitRate->value());
    // The switches keep their state while disabled: they count again once
    // there is a wait or a file to save into.
    manners.RandomWait = FRandomWait->isChecked();
    manners.LoadCookies = CookiesPath(FLoadCookies);
    manners.SaveCookies = CookiesPath(FSaveCookies);
    manners.KeepSessionCookies = FKeepSessionCookies->isChecked();
}

void TMannersPage::UpdateEnabled() {
    FRobotsIgnored->setVisible(!FObeyRobots->isChecked());
    FRandomWait->setEnabled(FWaitSeconds->value() > 0);
    FKeepSessionCookies->setEnabled(!FSaveCookies->text().trimmed().isEmpty());
}

} // namespace vorlin::app
