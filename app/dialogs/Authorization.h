// The "Authorization required" prompt for a page the server protects: the
// realm and the URL, user name and password. Enter answers OK, Escape
// Cancel. A bar steps every 100 ms and the prompt cancels itself when it
// wraps round (about ten seconds), so an unattended run goes on; typing
// stops it. On Accepted the request holds the answers.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QTimer;

namespace vorlin {
struct TAuthRec;
}

namespace vorlin::app {

class TfmAuthorization : public QDialog {
    Q_OBJECT
public:
    static constexpr int kStepMs = 100;

    TfmAuthorization(TAuthRec& request, QWidget* parent = nullptr);

    void accept() override;

    // One step of the bar (the timer's tick).
    void Step();
    bool TimerRunning() const;

private:
    void StopTimer();

    TAuthRec& FRequest;
    QLineEdit* FUserName;
    QLineEdit* FPassword;
    QProgressBar* FBar;
    QTimer* FTimer;
};

} // namespace vorlin::app
