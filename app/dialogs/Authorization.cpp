#include "app/dialogs/Authorization.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"
#include "project/DownloadLink.h"
#include "project/PasswordList.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vorlin::app {

namespace {

std::string URLOf(TDownloadLink* link) {
    if (!link) return std::string();
    TLinkLock lock(*link);
    return link->FullURL();
}

// A server chooses the realm: shown as plain text, never as markup.
QLabel* PlainValue(const char* name, const std::string& text, QWidget* parent) {
    auto* label = Named<QLabel>(name, parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromStdString(text));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TfmAuthorization::TfmAuthorization(TAuthRec& request, QWidget* parent) : QDialog(parent), FRequest(request) {
    AddDialogTexts();
    setObjectName("TfmAuthorization");
    SetTag(this, tgAuthorizationForm);

    FUserName = Named<QLineEdit>("edUserName", this);
    FUserName->setText(QString::fromStdString(request.UserName));
    FPassword = Named<QLineEdit>("edPassword", this);
    FPassword->setEchoMode(QLineEdit::Password);
    FBar = Named<QProgressBar>("pbTimeout", this);
    FBar->setRange(0, 100);
    FBar->setValue(0);
    FBar->setTextVisible(false);
    FBar->setMaximumHeight(8);

    auto* form = new QFormLayout;
    form->addRow(Tagged<QLabel>(tgAuthRealm, "lbRealmCaption", this), PlainValue("lbRealm", request.Realm, this));
    form->addRow(Tagged<QLabel>(tgAuthURL, "lbURLCaption", this), PlainValue("lbURL", URLOf(request.Link), this));
    auto* userLabel = Tagged<QLabel>(tgAuthUserName, "lbUserName", this);
    userLabel->setBuddy(FUserName);
    form->addRow(userLabel, FUserName);
    auto* passwordLabel = Tagged<QLabel>(tgAuthPassword, "lbPassword", this);
    passwordLabel->setBuddy(FPassword);
    form->addRow(passwordLabel, FPassword);

    QDialogButtonBox* buttons = OkCancelButtons(this, tgAuthOk, tgAuthCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(FBar);
    layout->addWidget(buttons);
    setMinimumWidth(420);

    FTimer = new QTimer(this);
    FTimer->setInterval(kStepMs);
    connect(FTimer, &QTimer::timeout, this, &TfmAuthorization::Step);
    connect(FUserName, &QLineEdit::textEdited, this, &TfmAuthorization::StopTimer);
    connect(FPassword, &QLineEdit::textEdited, this, &TfmAuthorization::StopTimer);
    connect(this, &QDialog::finished, this, &TfmAuthorization::StopTimer);
    FTimer->start();
}

void TfmAuthorization::Step() {
    const int next = (FBar->value() + 1) % (FBar->maximum() + 1);
    FBar->setValue(next);
    // Wrapped round: nobody answered.
    if (next == 0) {
        StopTimer();
        reject();
    }
}

bool TfmAuthorization::TimerRunning() const { return FTimer->isActive(); }

void TfmAuthorization::StopTimer() { FTimer->stop(); }

void TfmAuthorization::accept() {
    StopTimer();
    FRequest.UserName = FUserName->text().toStdString();
    FRequest.Password = FPassword->text().toStdString();
    QDialog::accept();
}

} // namespace vorlin::app
