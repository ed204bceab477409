// The "Manners" page of the project options dialog: how the project's runs
// treat servers (robots.txt, the wait between two requests to one server,
// the run's rate limit) and its cookies files, all in project.Manners.
#pragma once

#include "app/dialogs/OptionsPage.h"

#include <cstdint>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace vorlin::app {

// The rate limit as the page shows it, in KB per second: rounded, yet a
// limit never shows as "0" (no limit), and never beyond the page's range.
int RateLimitShownKB(int64_t bytesPerSecond);
// What a shown number of KB per second stands for.
int64_t RateLimitBytes(int kilobytesPerSecond);

class TMannersPage : public TOptionsPage {
public:
    // The wait's range; a stored longer wait (the command line allows a
    // day) widens it rather than being cut, up to that day.
    static constexpr double kMaxWaitSeconds = 3600;
    static constexpr double kLongestWaitSeconds = 86400;
    // 100 GB per second, the command line's ceiling.
    static constexpr int kMaxRateKB = 100 * 1024 * 1024;

    explicit TMannersPage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TDownloadProject& project) override;
    void Store(TDownloadProject& project) const override;

private:
    void UpdateEnabled();
    QCheckBox* FObeyRobots;
    QLabel* FRobotsIgnored;
    QDoubleSpinBox* FWaitSeconds;
    QCheckBox* FRandomWait;
    QSpinBox* FLimitRate;
    QLineEdit* FLoadCookies;
    QLineEdit* FSaveCookies;
    QCheckBox* FKeepSessionCookies;
    // The stored wait and rate: the page shows them rounded, and a field the
    // user left as shown keeps the exact stored value.
    double FLoadedWait = 0;
    double FShownWait = 0;
    int64_t FLoadedRate = 0;
};

} // namespace vorlin::app
