// Renders every dialog to a PNG file, to look at their layout without a
// display: QT_QPA_PLATFORM=offscreen dialog_screenshots OUTDIR
#include "app/dialogs/Authorization.h"
#include "app/dialogs/ClosingDownload.h"
#include "app/dialogs/ProjectInformation.h"
#include "app/dialogs/SelectFilesFromList.h"
#include "app/dialogs/SelectForm.h"
#include "app/dialogs/SettingsForm.h"
#include "app/dialogs/SettingsPage.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/OptionsForm.h"
#include "app/dialogs/OptionsPluginsPage.h"
#include "app/dialogs/OptionsRulesPage.h"
#include "app/dialogs/OptionsTexts.h"
#include "app/dialogs/rules/ConditionForm.h"
#include "app/dialogs/rules/FileSizeConditionForm.h"
#include "app/dialogs/rules/RuleForm.h"
#include "rules/CopyActions.h"
#include "rules/FileSizeCondition.h"
#include "rules/HTTPVorlinAction.h"
#include "rules/HTTPVorlinRules.h"
#include "rules/MaskConditions.h"
#include "rules/PluginSystem.h"
#include "app/texts/Texts.h"
#include <QTemporaryDir>
#include "platform/DateTime.h"
#include "project/PasswordList.h"
#include "tests/app_dialogs/DialogTestSupport.h"
#include "ui/TreeConfig.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

using namespace vorlin;
using namespace vorlin::app;
using namespace vorlin::test;

namespace {

QString FOut;

void Save(QWidget& widget, const QString& name) {
    widget.show();
    QApplication::processEvents();
    const QString path = FOut + "/" + name + ".png";
    if (!widget.grab().save(path)) std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    std::printf("%s\n", qPrintable(path));
}

void SettingsPages() {
    TProgramSettings record;
    record.ProxyEnabled = true;
    record.ProxyServer = "proxy.example.org";
    record.ProxyPort = "3128";
    record.ConnType = 1;
    record.DefaultDownloadDir = QDir::homePath().toStdString();
    TSettingsOffers offers;
    offers.BrowserUsers = {"default", "ann"};
    offers.PhoneBookEntries = {"Provider A"};
    offers.BrowserDirectory = "/usr/lib/netscape";
    offers.FavoritesDirectory = (QDir::homePath() + "/Favorites").toStdString();
    TSettingsForm form(record, offers);
    for (int tag : {tgNetscape, tgInternetExplorer, tgClipboard, tgIdentification, tgAutoSave, tgProxy, tgTimeouts,
                    tgInternetConnection, tgDownloadDirectory}) {
        form.Pages()->ShowPage(form.Page(tag));
        Save(form, "settings-" + DialogText(tag).remove(' ').toLower());
    }
}

void OtherDialogs() {
    TDownloadProject project;
    project.AverageCPS = 53456;
    project.PeekCPS = 191234;
    project.FileCount = 1234;
    project.FilteredOutCount = 210;
    project.DownloadedCount = 1011;
    project.LastDuration = EncodeTime(0, 12, 34, 0);
    project.ProjectSize = 123456789;
    TfmProjectInformation information(project);
    Save(information, "statistics");

    TDownloadLink* page = AddLink(project, "www.example.org", "docs/index.html");
    std::vector<TDownloadLink*> found;
    for (const char* path : {"docs/guide.pdf", "docs/setup%20notes.html", "files/archive-2024.zip", "img/logo.png",
                             "docs/chapter/one.html", "docs/chapter/two.html", "download/tool.exe"})
        found.push_back(AddLink(project, "www.example.org", path, lkHttp, 2));
    for (TDownloadLink* link : found) Refer(page, {link});
    TfmSelectFilesFromList links(project, *page);
    Save(links, "half-automatic");

    TSelectForm structure(project);
    structure.Tree()->expandAll();
    Save(structure, "file-selection");

    TAuthRec request{"Members only", found[0], "", ""};
    TfmAuthorization authorization(request);
    Save(authorization, "authorization");

    TfmClosingDownload closing;
    closing.SetProgress(35, "Saving link data (35%)");
    Save(closing, "closing-download");
}

void OptionsAndRuleDialogs() {
    QTemporaryDir dir;
    // A project with two rules, one of them made up of several elements.
    THTTPVorlinRules rules;
    THTTPVorlinRule& rule = rules.Add();
    rule.Name = "No large archives";
    rule.Enabled = true;
    auto* url = FindElement<TURLCondition>(rule);
    url->Active = true;
    url->Masks = {"*.zip", "*.tar.gz"};
    url->Mode = THTTPVorlinCondition::cmAny;
    auto* size = FindElement<TFileSizeCondition>(rule);
    size->Active = size->GreaterEnabled = true;
    size->MinSize = 500;
    FindElement<TExcludeAction>(rule)->Active = true;
    auto* copy = FindElement<TCopyToDirAction>(rule);
    copy->Active = true;
    copy->Directory = "/home/ann/archives";
    THTTPVorlinRule& second = rules.Add();
    second.Name = "Force PDF files";
    FindElement<TFileNameCondition>(second)->Active = true;
    FindElement<TFileNameCondition>(second)->Masks = {"*.pdf"};
    FindElement<TForceDownloadAction>(second)->Active = true;
    const std::string projectFile = dir.path().toStdString() + "/Sample.prj";
    rules.SaveToFile(projectFile + ".rules");

    TDownloadProject project;
    project.IsNew = false;
    project.URL = "http://www.example.org/docs/";
    project.Destination = QDir::homePath().toStdString() + "/copies/example";
    project.ProjectMode = pmMirror;
    project.InvalidCharMode = icReplace;
    project.MirroringChangeQ = "_";
    project.FollowExternalLinks = project.UseMaxExternalLevelCount = true;
    project.MaxExternalLevelCount = 2;
    project.UseAutentfication = true;
    project.UserName = "ann";
    project.Password = "secret";
    project.ExcludeList = {"zip", ".exe", "iso"};
    project.UseMaxFileSize = project.UseMaxLevelCount = true;
    project.MaxFileSize = 20480;
    project.Manners.ObeyRobots = false;
    project.Manners.WaitSeconds = 1.5;
    project.Manners.RandomWait = true;
    project.Manners.LimitRate = 200 * 1024;
    project.Manners.LoadCookies = QDir::homePath().toStdString() + "/.mozilla/cookies.txt";
    project.Manners.SaveCookies = QDir::homePath().toStdString() + "/copies/example-cookies.txt";
    project.MaxLevelCount = 5;
    project.DownloadBckgrds = true;
    // The shipped style-sheet plugin (its dialog module beside its real file).
    const std::string program = dir.path().toStdString() + "/program/";
    QDir().mkpath(QString::fromStdString(program + "Plugins"));
    QFile::link(VORLIN_CSS_PLUGIN, QString::fromStdString(program + "Plugins/css.so"));
    TPluginSystem plugins(program);
    plugins.Load();
    plugins.Initialize();
    TOptionsFormContext context;
    context.ProjectFile = projectFile;
    context.Plugins = &plugins;
    TOptionsForm form(project, context);
    form.PluginsPage()->List()->setCurrentRow(0);
    for (int tag : {tgProjectMode, tgScope, tgStartData, tgManners, tgFileExtensions, tgLimits, tgMisc, tgAdvancedFilters,
                    tgPlugins}) {
        form.Pages()->ShowPage(form.Page(tag));
        Save(form, "options-" + QString::fromStdString(Text(tag)).remove(' ').toLower());
    }

    TRuleForm ruleForm(form.Rules().Rules(0));
    Save(ruleForm, "rule-dialog");
    TConditionForm condition(*FindElement<TURLCondition>(form.Rules().Rules(0)));
    Save(condition, "rule-condition-masks");
    TFileSizeConditionForm sizeForm(*FindElement<TFileSizeCondition>(form.Rules().Rules(0)));
    Save(sizeForm, "rule-condition-filesize");

    form.Pages()->ShowPage(form.Page(tgPlugins));
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            Save(*dialog, "css-settings");
            dialog->reject();
        }
    });
    form.findChild<QPushButton*>("btConfigurePlugin")->click();
    form.Close();
    plugins.Deinitialize();
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    FOut = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(FOut);
    SettingsPages();
    OtherDialogs();
    OptionsAndRuleDialogs();
    return 0;
}
