// Plain stand-ins for the dialogs of app/dialogs/, used while that library
// is not part of the build: the credentials prompt, the statistics and the
// "Closing Download" window work; the selection dialogs choose nothing and
// the settings dialog leaves the record as it is.
#ifndef VORLIN_HAVE_APP_DIALOGS

#include "app/DialogForms.h"
#include "app/DisplayFormats.h"
#include "platform/DateTime.h"
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"
#include "project/PasswordList.h"
#include "project/ProgramSettings.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QVBoxLayout>

namespace vorlin::app {

bool RunCredentialsDialog(TAuthRec& request, QWidget* owner) {
    QDialog dialog(owner);
    dialog.setWindowTitle("Authorization required");
    auto* user = new QLineEdit(QString::fromStdString(request.UserName), &dialog);
    auto* password = new QLineEdit(&dialog);
    password->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow("Realm:", new QLabel(QString::fromStdString(request.Realm), &dialog));
    form->addRow("User:", user);
    form->addRow("Password:", password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    request.UserName = user->text().toStdString();
    request.Password = password->text().toStdString();
    return true;
}

void RunSelectLinksDialog(TDownloadProject&, TDownloadLink&, QWidget*) {}

bool RunSelectStructureDialog(TDownloadProject&, QWidget*) { return true; }

bool RunSettingsDialog(TProgramSettings&, QWidget*) { return false; }

void RunProjectInformationDialog(TDownloadProject& project, QWidget* owner) {
    const TDateParts duration = DecodeDateTime(project.LastDuration);
    QString text = QString("Durchschnittliche Übertragungsrate: %1\nÜbertragungsraten Spitze: %2\n"
                           "Dateien insgesamt: %3\nHerausgefilterte Dateien: %4\nHeruntergeladene Dateien: %5\n"
                           "Letzte Download-Dauer: %6\nHeruntergeladene KBs: %7")
                       .arg(QString::fromStdString(ClientSizeText(project.AverageCPS)))
                       .arg(QString::fromStdString(ClientSizeText(project.PeekCPS)))
                       .arg(project.FileCount)
                       .arg(project.FilteredOutCount)
                       .arg(project.DownloadedCount)
                       .arg(QString::asprintf("%02d:%02d:%02d", duration.Hour, duration.Minute, duration.Second))
                       .arg(QString::fromStdString(KBText(project.ProjectSize)));
    QMessageBox::information(owner, "Projekt-Statistik", text);
}

namespace {

class TClosingStandIn : public IClosingWindow {
public:
    TClosingStandIn(const std::string& text, QWidget* owner) : FWindow(owner) {
        FWindow.setWindowTitle("Closing Download");
        FLabel = new QLabel(QString::fromStdString(text), &FWindow);
        FBar = new QProgressBar(&FWindow);
        FBar->setRange(0, 100);
        auto* layout = new QVBoxLayout(&FWindow);
        layout->addWidget(FLabel);
        layout->addWidget(FBar);
        FWindow.resize(360, 90);
        FWindow.show();
    }
    void SetProgress(int percent, const std::string& text) override {
        FBar->setValue(percent);
        FLabel->setText(QString::fromStdString(text));
    }

private:
    QDialog FWindow;
    QLabel* FLabel;
    QProgressBar* FBar;
};

} // namespace

std::unique_ptr<IClosingWindow> ShowClosingWindow(const std::string& text, QWidget* owner) {
    return std::make_unique<TClosingStandIn>(text, owner);
}

} // namespace vorlin::app

#endif
