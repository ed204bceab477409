// Languages: the shipped catalogues against every number the program uses,
// the loader (discovery, a damaged or missing library, numbers a library
// lacks), and a switch in the running window: menus, column headers,
// message tables and untagged controls.
#include "app/ProgramTexts.h"
#include "app/ProjectTreeModel.h"
#include "app/QueueModel.h"
#include "app/texts/LangLoader.h"
#include "app/texts/Tagging.h"
#include "app/texts/Texts.h"
#include "engine/RunTexts.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/MoCatalog.h"
#include "rules/RuleTexts.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/MoWriter.h"
#include "ui/ClientRowsModel.h"
#include "ui/LogModel.h"
#include "ui/StructureTreeModel.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

using namespace vorlin;
using namespace vorlin::app;
using vorlin::test::TWindowFixture;

namespace {

const std::string kBuiltLanguages = VORLIN_LANGUAGES_DIR "/";
const std::string kSourceDir = VORLIN_SOURCE_DIR "/";

std::string Numbers(const std::vector<int>& numbers) {
    std::string list;
    for (int number : numbers) list += (list.empty() ? "" : " ") + std::to_string(number);
    return list;
}

// Catalogue entries with the built-in texts, to paste into a .po file.
std::string PoEntries(const std::vector<int>& numbers) {
    const std::map<int, std::string> builtin = AllBuiltinTexts();
    std::string entries;
    for (int number : numbers) {
        std::string text;
        for (char c : builtin.at(number)) {
            if (c == '"' || c == '\\') text += '\\';
            text += c == '\n' ? std::string("\\n") : std::string(1, c);
        }
        entries += "msgid \"" + std::to_string(number) + "\"\nmsgstr \"" + text + "\"\n\n";
    }
    return entries;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    ForceDirectories(ExtractFilePath(path));
    std::ofstream(path, std::ios::binary) << bytes;
}

void CopyShippedLanguages(const std::string& home) {
    ForceDirectories(home + "languages");
    for (const char* name : {"English.mo", "Deutsch.mo"})
        QVERIFY(CopyFile(kBuiltLanguages + name, home + "languages/" + name, false));
}

QString HeaderOf(QAbstractItemModel& model, int section) {
    return model.headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
}

QStringList MenuTitles(QMainWindow& window) {
    QStringList titles;
    for (QAction* action : window.menuBar()->actions()) titles << action->text();
    return titles;
}

} // namespace

class LanguageTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { UseLanguageCatalog(nullptr); }
    void EnglishHasEveryNumberTheProgramUses();
    void DeutschIsTheBuiltinTexts();
    void EveryTextTableIsRegistered();
    void LoaderFindsLoadsAndRefusesLanguages();
    void ALibraryLackingNumbersGivesEmptyTextsForThose();
    void SwitchRetranslatesTheRunningWindow();
    void WindowStartsInTheLanguageOfItsSettings();
    void NoSwitchWhileADownloadRuns();
};

void LanguageTest::EnglishHasEveryNumberTheProgramUses() {
    const TMoCatalog english = TMoCatalog::LoadFromFile(kBuiltLanguages + "English.mo");
    std::vector<int> missing, empty;
    for (const auto& [number, text] : AllBuiltinTexts()) {
        const std::string* translated = english.Find(number);
        if (!translated) missing.push_back(number);
        else if (translated->empty() && !text.empty()) empty.push_back(number);
    }
    if (!missing.empty()) qInfo().noquote() << "to translate into languages/English.po:\n" << QString::fromStdString(PoEntries(missing));
    QVERIFY2(missing.empty(), ("numbers without an English text, add them to languages/English.po: " +
                               Numbers(missing)).c_str());
    QVERIFY2(empty.empty(), ("empty English texts in languages/English.po: " + Numbers(empty)).c_str());
    // Placeholders survive translation in number and order, or a message
    // would print the wrong argument.
    auto placeholders = [](const std::string& text) {
        std::string kinds;
        for (size_t i = 0; i + 1 < text.size(); ++i)
            if (text[i] == '%' && (text[i + 1] == 's' || text[i + 1] == 'd')) kinds += text[++i];
        return kinds;
    };
    std::vector<int> mismatched;
    for (const auto& [number, text] : AllBuiltinTexts())
        if (const std::string* translated = english.Find(number); translated && placeholders(*translated) != placeholders(text))
            mismatched.push_back(number);
    QVERIFY2(mismatched.empty(), ("English texts whose %s/%d differ from the built-in ones: " + Numbers(mismatched)).c_str());
}

void LanguageTest::DeutschIsTheBuiltinTexts() {
    const TMoCatalog deutsch = TMoCatalog::LoadFromFile(kBuiltLanguages + "Deutsch.mo");
    std::vector<int> differ;
    for (const auto& [number, text] : AllBuiltinTexts()) {
        const std::string* translated = deutsch.Find(number);
        if (!translated || *translated != text) differ.push_back(number);
    }
    if (!differ.empty()) qInfo().noquote() << "the built-in texts for languages/Deutsch.po:\n" << QString::fromStdString(PoEntries(differ));
    QVERIFY2(differ.empty(), ("numbers whose text in languages/Deutsch.po is missing or not the built-in one: " +
                              Numbers(differ)).c_str());
}

void LanguageTest::EveryTextTableIsRegistered() {
    // A table its module adds with AddBuiltinTexts() must also be added by
    // AddAllBuiltinTexts(), or the checks above can't see its numbers.
    std::ifstream registryFile(kSourceDir + "app/ProgramTexts.cpp");
    std::stringstream registry;
    registry << registryFile.rdbuf();
    const std::regex definition(R"(void\s+(Add\w+Texts)\s*\(\s*\)\s*\{)");
    std::string unregistered;
    for (const char* folder : {"app", "ui", "update", "updater"}) {
        if (!DirectoryExists(kSourceDir + folder)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(kSourceDir + folder)) {
            if (entry.path().extension() != ".cpp") continue;
            std::ifstream file(entry.path());
            std::stringstream source;
            source << file.rdbuf();
            const std::string text = source.str();
            if (text.find("AddBuiltinTexts(") == std::string::npos) continue;
            for (std::sregex_iterator it(text.begin(), text.end(), definition), end; it != end; ++it) {
                const std::string name = (*it)[1];
                if (name == "AddAllBuiltinTexts" || name == "AddBuiltinTexts") continue;
                if (registry.str().find(name + "()") == std::string::npos)
                    unregistered += " " + name + "() (" + entry.path().string().substr(kSourceDir.size()) + ")";
            }
        }
    }
    QVERIFY2(unregistered.empty(),
             ("call these from AddAllBuiltinTexts() in app/ProgramTexts.cpp:" + unregistered).c_str());
}

void LanguageTest::LoaderFindsLoadsAndRefusesLanguages() {
    QTemporaryDir program, home;
    const std::string programDir = program.path().toStdString() + "/", homeDir = home.path().toStdString() + "/";
    WriteFile(programDir + "English.mo", test::MoImage(std::map<int, std::string>{{611, "Done"}, {1803, "and"}}));
    WriteFile(programDir + "Klingon.mo", "not a catalogue at all, but long enough for a header");
    WriteFile(programDir + "readme.txt", "x");
    WriteFile(homeDir + "English.mo", test::MoImage(std::map<int, std::string>{{611, "Finished"}}));
    WriteFile(homeDir + "Pirate.mo", test::MoImage(std::map<int, std::string>{{611, "Arr"}}));
    TLangLoader loader({programDir, homeDir});
    QCOMPARE(loader.Languages(), (std::vector<std::string>{"English", "Klingon", "Pirate"}));
    QCOMPARE(loader.FileNames().front(), homeDir + "English.mo");  // the later folder wins

    loader.LoadLanguage("Pirate");
    QCOMPARE(loader.Current()->Name, std::string("Pirate"));
    QCOMPARE(RunText(611), std::string("Arr"));
    QCOMPARE(Text(611), std::string("Arr"));

    for (const std::string& bad : {std::string("Klingon"), std::string("Vulcan"), std::string("../home/Pirate")}) {
        try {
            loader.LoadLanguage(bad);
            QFAIL(("loaded " + bad).c_str());
        } catch (const ELanguageError& e) {
            QCOMPARE(std::string(e.what()), std::string("Can not load language file!"));
            QVERIFY(!e.Reason.empty());
        }
        // The previous language was released: the built-in texts answer.
        QVERIFY(!loader.Current());
        QCOMPARE(RunText(611), std::string("Fertig"));
        QCOMPARE(RuleText(rtAnd), std::string("and"));
    }
}

void LanguageTest::ALibraryLackingNumbersGivesEmptyTextsForThose() {
    AddAllBuiltinTexts();
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/Sparse.mo";
    WriteFile(path, test::MoImage(std::map<int, std::string>{{0, "Loading"}, {611, "Done"}, {1803, "und"}}));
    TLangLoader loader({dir.path().toStdString()});
    loader.LoadLanguage("Sparse");
    QCOMPARE(Text(0), std::string("Loading"));
    QCOMPARE(Text(1), std::string());           // main window message
    QCOMPARE(Text(3024), std::string());        // a control's caption
    QCOMPARE(RunText(611), std::string("Done"));
    QCOMPARE(RunText(606), std::string());      // a run message
    QCOMPARE(FormatRunText(603, {"a", "1"}), std::string());
    QCOMPARE(RuleText(rtAnd), std::string("und"));
    QCOMPARE(RuleText(rtOr), std::string());    // a rule description
    QCOMPARE(BuiltinText(3024), std::string("Download starten"));
}

void LanguageTest::SwitchRetranslatesTheRunningWindow() {
    TWindowFixture f;
    CopyShippedLanguages(f.Home.Home());
    WriteFile(f.Home.Home() + "languages/Sparse.mo", test::MoImage(std::map<int, std::string>{{3100, "Project"}}));
    f.Home.WriteProject("/Projects/Site");
    THttpGetForm& w = f.Open();
    QVERIFY(w.Languages().Current());
    QCOMPARE(w.Languages().Current()->Name, std::string("English"));

    // The menu "Sprachen" lists every library, the current one checked.
    QMenu* menu = w.LanguageMenu();
    QVERIFY(menu->isEnabled());
    QStringList items;
    for (QAction* item : menu->actions()) items << item->text() + (item->isChecked() ? "*" : "");
    QCOMPARE(items, QStringList({"Deutsch", "English*", "Sparse"}));
    QCOMPARE(MenuTitles(w).mid(0, 4), QStringList({"&Project", "&Queue", "&Download", "E&xtras"}));
    QVERIFY(MenuTitles(w).contains("Dial-Up") && MenuTitles(w).contains("Languages"));

    // An untagged control keeps its caption under every language.
    auto* untagged = new QLabel("Untouched", &w);
    w.Actions().acQueueStopped->setChecked(true);  // queued, not started
    w.SelectNode(f.Node("/Projects/Site"));
    w.PutInQueue();
    const QString windowCaption = w.windowTitle();

    menu->actions().at(0)->trigger();  // Deutsch, from the menu
    QCOMPARE(w.Languages().Current()->Name, std::string("Deutsch"));
    QCOMPARE(MenuTitles(w).mid(0, 4), QStringList({"&Projekt", "&Warteschlange", "&Download", "&Extras"}));
    QVERIFY(MenuTitles(w).contains("Dail-Up") && MenuTitles(w).contains("Sprachen"));
    QCOMPARE(w.Actions().acStartDownload->text(), QString("Download starten"));
    QCOMPARE(w.Actions().acStartDownload->statusTip(), QString("Startet oder setzt den Download fort"));
    QCOMPARE(HeaderOf(w.Queue(), 2), QString("Letztes Update am"));
    QCOMPARE(w.Queue().data(w.Queue().index(0, 2)).toString(), QString("noch nie"));
    QCOMPARE(HeaderOf(w.ClientRows(), 4), QString("Fortschritt"));
    QCOMPARE(HeaderOf(w.Structure(), 2), QString("D/L Status"));
    QCOMPARE(RunText(611), std::string("Fertig"));
    QCOMPARE(untagged->text(), QString("Untouched"));
    QCOMPARE(w.windowTitle(), windowCaption);
    for (QAction* item : w.LanguageMenu()->actions())
        QCOMPARE(item->isChecked(), item->text() == "Deutsch");

    w.SetLanguage("English");
    QCOMPARE(w.Actions().acStartDownload->text(), QString("Start Download"));
    QCOMPARE(HeaderOf(w.Queue(), 2), QString("Last update"));
    QCOMPARE(w.Queue().data(w.Queue().index(0, 2)).toString(), QString("never"));
    QCOMPARE(HeaderOf(w.ClientRows(), 4), QString("Progress"));
    QCOMPARE(RunText(611), std::string("Done"));
    QCOMPARE(RuleText(rtNewRule), std::string("New Rule"));
    QCOMPARE(untagged->text(), QString("Untouched"));

    // A library lacking numbers: empty captions for exactly those.
    w.SetLanguage("Sparse");
    QCOMPARE(MenuTitles(w).at(0), QString("Project"));
    QCOMPARE(MenuTitles(w).at(1), QString());
    QCOMPARE(w.Actions().acStartDownload->text(), QString());
    QCOMPARE(HeaderOf(w.Queue(), 0), QString());
    QCOMPARE(RunText(611), std::string());
    QCOMPARE(untagged->text(), QString("Untouched"));

    // A library that vanished: the message, then the built-in texts.
    std::vector<std::string> reports;
    TDebugLogSink previous = SetDebugLogSink([&reports](const std::string& line) { reports.push_back(line); });
    DeleteFile(f.Home.Home() + "languages/English.mo");
    w.SetLanguage("English");
    SetDebugLogSink(previous);
    QVERIFY(std::find(reports.begin(), reports.end(), "Can not load language file!") != reports.end());
    QVERIFY(!w.Languages().Current());
    QCOMPARE(w.Actions().acStartDownload->text(), QString("Download starten"));
    QCOMPARE(w.LanguageMenu()->actions().size(), 2);

    // The choice is remembered in the settings file.
    w.SetLanguage("Deutsch");
    QVERIFY(f.Close());
    TIniFile ini;
    ini.LoadFromFile(f.Home.Home() + "HttpVorlin.ini");
    QCOMPARE(ini.ReadString("Languages", "Language", ""), std::string("Deutsch"));
}

void LanguageTest::WindowStartsInTheLanguageOfItsSettings() {
    TWindowFixture f;
    CopyShippedLanguages(f.Home.Home());
    TIniFile ini;
    ini.WriteString("Languages", "Language", "Deutsch");
    ini.SaveToFile(f.Home.Home() + "HttpVorlin.ini");
    THttpGetForm& w = f.Open();
    QCOMPARE(w.Languages().Current()->Name, std::string("Deutsch"));
    QCOMPARE(w.Actions().acPutInQueue->text(), QString("In Warteschlange stellen"));
    // The top folders keep the names of their directories.
    QCOMPARE(w.Tree().Top(0)->Caption, std::string("Projects"));
    QVERIFY(f.Close());
}

void LanguageTest::NoSwitchWhileADownloadRuns() {
    TWindowFixture f;
    CopyShippedLanguages(f.Home.Home());
    f.Home.WriteProject("/Projects/A", "");  // a run that ends at once, with an error line
    THttpGetForm& w = f.Open();
    int finished = 0;
    QObject::connect(&w, &THttpGetForm::RunHasFinished, [&finished] { ++finished; });
    // The first download's silent update check serves messages until it is
    // through, long enough for this short run to end: not wanted here.
    w.Actions().miAutoCheckUpdate->setChecked(false);
    w.SelectNode(f.Node("/Projects/A"));
    w.PutInQueue();
    QVERIFY(w.RunExists());
    QVERIFY(!w.LanguageMenu()->isEnabled());
    w.SetLanguage("Deutsch");
    QCOMPARE(w.Languages().Current()->Name, std::string("English"));
    QTRY_COMPARE(finished, 1);
    QVERIFY(w.LanguageMenu()->isEnabled());
    // The run spoke the window's language.
    QCOMPARE(w.Log().Line(w.Log().Count() - 1), QString("No URL given, aborting"));
    QVERIFY(f.Close());
}

QTEST_MAIN(LanguageTest)
#include "LanguageTest.moc"
