#include "app/QtDesktopDialogs.h"

#include "app/DialogForms.h"
#include "app/bookmarks/BookmarkSources.h"
#include "app/dialogs/SettingsOffers.h"
#include "app/dialogs/TargetDirForm.h"
#include "app/dialogs/TemplateForm.h"
#include "app/dialogs/TemplateTexts.h"
#include "app/texts/Texts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QWidget>

namespace vorlin::app {

struct TQtDesktopDialogs::TClosingWindow {
    std::unique_ptr<IClosingWindow> Window;
};

namespace {

QMessageBox::StandardButton ButtonOf(TAnswer answer) {
    switch (answer) {
    case TAnswer::anOk: return QMessageBox::Ok;
    case TAnswer::anYes: return QMessageBox::Yes;
    case TAnswer::anNo: return QMessageBox::No;
    case TAnswer::anCancel: return QMessageBox::Cancel;
    }
    return QMessageBox::NoButton;
}

TAnswer AnswerOf(int button) {
    switch (button) {
    case QMessageBox::Yes: return TAnswer::anYes;
    case QMessageBox::No: return TAnswer::anNo;
    case QMessageBox::Ok: return TAnswer::anOk;
    default: return TAnswer::anCancel;
    }
}

} // namespace

TQtDesktopDialogs::TQtDesktopDialogs(QWidget* owner) : FOwner(owner) {}
TQtDesktopDialogs::~TQtDesktopDialogs() = default;

void TQtDesktopDialogs::Message(const std::string& text, bool error) {
    QMessageBox box(error ? QMessageBox::Warning : QMessageBox::Information, QApplication::applicationDisplayName(),
                    QString::fromStdString(text), QMessageBox::Ok, FOwner);
    box.exec();
}

void TQtDesktopDialogs::TitledMessage(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Information, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok, FOwner);
    box.exec();
}

TAnswer TQtDesktopDialogs::Question(const std::string& text, TButtons buttons, TAnswer defaultAnswer) {
    QMessageBox::StandardButtons shown;
    switch (buttons) {
    case TButtons::bnOk: shown = QMessageBox::Ok; break;
    case TButtons::bnYesNo: shown = QMessageBox::Yes | QMessageBox::No; break;
    case TButtons::bnYesNoCancel: shown = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case TButtons::bnOkCancel: shown = QMessageBox::Ok | QMessageBox::Cancel; break;
    }
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), QString::fromStdString(text), shown,
                    FOwner);
    box.setDefaultButton(ButtonOf(defaultAnswer));
    box.setEscapeButton(buttons == TButtons::bnYesNo ? QMessageBox::No
                        : buttons == TButtons::bnOk ? QMessageBox::Ok
                                                    : QMessageBox::Cancel);
    return AnswerOf(box.exec());
}

std::string TQtDesktopDialogs::SaveFileName(const std::string& filter, const std::string& defaultSuffix) {
    QFileDialog dialog(FOwner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QString::fromStdString(filter));
    dialog.setDefaultSuffix(QString::fromStdString(defaultSuffix).remove(0, 1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

bool TQtDesktopDialogs::AskCredentials(TAuthRec& request) { return RunCredentialsDialog(request, FOwner); }

void TQtDesktopDialogs::SelectLinks(TDownloadProject& project, TDownloadLink& page) {
    RunSelectLinksDialog(project, page, FOwner);
}

bool TQtDesktopDialogs::SelectStructure(TDownloadProject& project) { return RunSelectStructureDialog(project, FOwner); }

bool TQtDesktopDialogs::EditSettings(TProgramSettings& record) {
    TSettingsOffers offers;
    // The browsers' profiles and folders the bookmark import can read.
    const TBrowserHome home = BrowserHomeFromEnvironment();
    for (const TBrowserProfile& profile : FirefoxProfiles(home)) offers.BrowserUsers.push_back(profile.Name);
    for (const TBrowserProfile& profile : ChromiumProfiles(home)) offers.ChromiumProfiles.push_back(profile.Name);
    offers.BrowserDirectory = BrowserInstallDirectory();
    offers.FavoritesDirectory = StandardFavoritesDirectory(home);
    if (FillOffers) FillOffers(offers);
    return RunSettingsDialog(record, offers, FOwner);
}

bool TQtDesktopDialogs::EditProjectOptions(TDownloadProject& project, const TOptionsFormContext& context) {
    return RunProjectOptionsDialog(project, context, FOwner);
}

void TQtDesktopDialogs::ShowProjectInformation(TDownloadProject& project) {
    RunProjectInformationDialog(project, FOwner);
}

void TQtDesktopDialogs::ShowClosingDownload(const std::string& text) {
    if (FClosing) return;
    FClosing = std::make_unique<TClosingWindow>();
    FClosing->Window = ShowClosingWindow(text, FOwner);
}

void TQtDesktopDialogs::ClosingDownloadProgress(int percent, const std::string& text) {
    if (FClosing && FClosing->Window) FClosing->Window->SetProgress(percent, text);
}

void TQtDesktopDialogs::CloseClosingDownload() { FClosing.reset(); }

bool TQtDesktopDialogs::ClosingDownloadShown() const { return FClosing != nullptr; }

bool TQtDesktopDialogs::InputText(const std::string& caption, const std::string& prompt, std::string& value) {
    AddTemplateDialogTexts();
    QInputDialog dialog(FOwner);
    dialog.setObjectName("InputQuery");
    dialog.setWindowTitle(QString::fromStdString(caption));
    dialog.setLabelText(QString::fromStdString(prompt));
    dialog.setTextValue(QString::fromStdString(value));
    dialog.setOkButtonText(QString::fromStdString(Text(tgInputOk)));
    dialog.setCancelButtonText(QString::fromStdString(Text(tgInputCancel)));
    dialog.resize(420, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted) return false;
    value = dialog.textValue().toStdString();
    return true;
}

TTemplateChoice TQtDesktopDialogs::ChooseTemplate(const std::vector<std::string>& templates, int& row) {
    TTemplateForm form(templates, row, FOwner);
    return form.Choose(row);
}

bool TQtDesktopDialogs::ChooseTargetDirectory(std::string& directory, bool& useStandardDir) {
    TTargetDirForm form(QString::fromStdString(directory), useStandardDir, FOwner);
    if (form.exec() != QDialog::Accepted) return false;
    directory = form.Directory().toStdString();
    useStandardDir = form.UseStandardDir();
    return true;
}

} // namespace vorlin::app
