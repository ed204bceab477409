// The program settings dialog: what it shows of a record, what "&OK" and
// "Ab&brechen" do with the copy, the offered users and phone-book entries,
// the tree of pages, the ranges and the tags of its texts.
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/SettingsForm.h"
#include "app/dialogs/SettingsPage.h"
#include "app/texts/Tagging.h"
#include "app/texts/Texts.h"
#include "ui/TreeConfig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

using namespace vorlin;
using namespace vorlin::app;

namespace {

template <typename T> T* Control(QWidget& form, const char* name) {
    T* control = form.findChild<T*>(QString::fromLatin1(name));
    if (!control) qFatal("no control %s", name);
    return control;
}

void Press(QWidget& form, const char* button) {
    QTest::mouseClick(Control<QPushButton>(form, button), Qt::LeftButton);
}

TSettingsOffers Offers() {
    TSettingsOffers offers;
    offers.BrowserUsers = {"default", "ann"};
    offers.PhoneBookEntries = {"Provider A", "Provider B"};
    offers.BrowserDirectory = "/opt/netscape";
    offers.FavoritesDirectory = "/home/ann/Favorites";
    return offers;
}

// Every field, none at its default.
TProgramSettings Changed() {
    TProgramSettings s;
    s.DefaultTemplate = 4;
    s.FavStandard = false;
    s.FavOther = true;
    s.LoadFavOnStartUp = false;
    s.BookmNetscpDir = false;
    s.BookmUserSelect = false;
    s.BookmOther = true;
    s.LoadBookmOnStartUp = true;
    s.ClipboardEnabled = false;
    s.ClipboardType = 2;
    s.ProxyEnabled = true;
    s.TimeOutEnabled = false;
    s.ProxyServer = "proxy.example";
    s.ProxyPort = "3128";
    s.ProxyUserName = "pu";
    s.ProxyPassword = " secret ";
    s.BookmOtherFile = "/b/bookmark.htm";
    s.FavOtherDir = "/f";
    s.SelectedUser = "ann";
    s.DefaultDownloadDir = "/downloads";
    s.IdentifyAs = "Robot/2";
    s.TimeOutLength = 99;
    s.NumberOfTries = 0;
    s.ConnType = 2;
    s.DialUpUserName = "du";
    s.DialUpPassword = "dp";
    s.DialUpEntry = "Provider B";
    s.ConnScript = "/bin/up";
    s.DisConnScript = "/bin/down";
    s.DisConnWndName = "Dialer";
    s.AlwaysUseDefaultDir = true;
    s.AutosaveEnabled = false;
    s.AutosaveMinutes = 0;
    s.NumberOfThreads = 9;
    s.Language = "Deutsch";
    return s;
}

// Field by field, so a failure names the field.
void ExpectSame(const TProgramSettings& a, const TProgramSettings& b) {
#define SAME(field) QCOMPARE(a.field, b.field)
    SAME(DefaultTemplate); SAME(FavStandard); SAME(FavOther); SAME(LoadFavOnStartUp); SAME(BookmUserSelect);
    SAME(BookmOther); SAME(LoadBookmOnStartUp); SAME(ClipboardEnabled); SAME(BookmNetscpDir); SAME(ProxyEnabled);
    SAME(TimeOutEnabled); SAME(ClipboardType); SAME(ProxyServer); SAME(ProxyPort); SAME(ProxyUserName);
    SAME(ProxyPassword); SAME(BookmOtherFile); SAME(FavOtherDir); SAME(SelectedUser); SAME(DefaultDownloadDir);
    SAME(IdentifyAs); SAME(TimeOutLength); SAME(NumberOfTries); SAME(ConnType); SAME(DialUpUserName);
    SAME(DialUpPassword); SAME(DialUpEntry); SAME(ConnScript); SAME(DisConnScript); SAME(DisConnWndName);
    SAME(AlwaysUseDefaultDir); SAME(AutosaveEnabled); SAME(AutosaveMinutes); SAME(NumberOfThreads);
    SAME(AutoCheckForUpdates); SAME(EnableDocking); SAME(Language);
#undef SAME
}

} // namespace

class SettingsFormTest : public QObject {
    Q_OBJECT
private slots:
    void AFreshInstallationIsShownAsItRuns() {
        TSettingsForm form{TProgramSettings(), TSettingsOffers()};
        QVERIFY(!Control<QCheckBox>(form, "cbUseProxy")->isChecked());
        QVERIFY(Control<QCheckBox>(form, "cbTimeOutEnabled")->isChecked());
        QCOMPARE(Control<QSpinBox>(form, "seTimeOutLength")->value(), 20);
        QCOMPARE(Control<QSpinBox>(form, "seNumberOfTries")->value(), 3);
        QVERIFY(Control<QRadioButton>(form, "rbConnDirect")->isChecked());
        QVERIFY(Control<QCheckBox>(form, "cbClipboardEnabled")->isChecked());
        QVERIFY(Control<QRadioButton>(form, "rbClipboardTemplate")->isChecked());
        QVERIFY(Control<QCheckBox>(form, "cbAutosaveEnabled")->isChecked());
        QCOMPARE(Control<QSpinBox>(form, "seAutosaveMinutes")->value(), 10);
        QCOMPARE(Control<QComboBox>(form, "cbIdentifyAs")->currentText(), QString());
        // Dependent controls follow their switches.
        QVERIFY(!Control<QGroupBox>(form, "gbProxy")->isEnabled());
        QVERIFY(!Control<QGroupBox>(form, "gbDialUp")->isEnabled());
        QVERIFY(!Control<QGroupBox>(form, "gbOtherSoftware")->isEnabled());
        QCOMPARE(Control<QLabel>(form, "lbBookmNetscpDir")->text(), DialogText(smNotFound));
    }

    void CancelDiscardsWhatWasTypedAndOkWritesEveryControlBack() {
        const TProgramSettings original;
        {
            TSettingsForm form(original, Offers());
            form.show();
            Control<QCheckBox>(form, "cbUseProxy")->click();
            Control<QLineEdit>(form, "edProxyServer")->setText("typed");
            QTest::keyClick(&form, Qt::Key_Escape);
            QCOMPARE(form.result(), int(QDialog::Rejected));
            ExpectSame(form.Record(), original);
        }

        // Every control set to what Changed() holds: OK gives exactly that record.
        TSettingsForm form(original, Offers());
        form.show();
        auto edit = [&](const char* name, const char* text) { Control<QLineEdit>(form, name)->setText(text); };
        Control<QRadioButton>(form, "rbFavOther")->click();
        edit("edFavOther", "/f");
        Control<QCheckBox>(form, "cbLoadFavOnStartUp")->click();
        Control<QRadioButton>(form, "rbBookmOther")->click();
        edit("edBookmOther", " /b/bookmark.htm ");
        Control<QComboBox>(form, "cbSelectedUser")->setCurrentText("ann");
        Control<QCheckBox>(form, "cbLoadBookmOnStartUp")->click();
        Control<QRadioButton>(form, "rbClipboardNew")->click();
        Control<QCheckBox>(form, "cbClipboardEnabled")->click();
        QVERIFY(!Control<QGroupBox>(form, "gbClipboardType")->isEnabled());
        Control<QCheckBox>(form, "cbUseProxy")->click();
        edit("edProxyServer", "proxy.example");
        QTest::keyClicks(Control<QLineEdit>(form, "edProxyPort"), "31x28");  // the letter is refused
        edit("edProxyUserName", "pu");
        edit("edProxyPassword", " secret ");
        Control<QComboBox>(form, "cbIdentifyAs")->setEditText("Robot/2");
        Control<QCheckBox>(form, "cbTimeOutEnabled")->click();
        Control<QSpinBox>(form, "seTimeOutLength")->setValue(99);
        Control<QSpinBox>(form, "seNumberOfTries")->setValue(0);
        Control<QRadioButton>(form, "rbConnOther")->click();
        QVERIFY(Control<QGroupBox>(form, "gbOtherSoftware")->isEnabled());
        Control<QComboBox>(form, "cbDialUpEntry")->setCurrentText("Provider B");
        edit("edDialUpUserName", "du");
        edit("edDialUpPassword", "dp");
        edit("edConnScript", "/bin/up");
        edit("edDisConnScript", "/bin/down");
        edit("edDisConnWndName", "Dialer");
        edit("edDefaultDownloadDir", "/downloads");
        Control<QCheckBox>(form, "cbAlwaysUseDefaultDir")->click();
        Control<QCheckBox>(form, "cbAutosaveEnabled")->click();
        Control<QSpinBox>(form, "seAutosaveMinutes")->setValue(0);
        Press(form, "btOK");
        QCOMPARE(form.result(), int(QDialog::Accepted));

        TProgramSettings expected = Changed();
        // Fields no page shows come through as they were.
        expected.DefaultTemplate = original.DefaultTemplate;
        expected.NumberOfThreads = original.NumberOfThreads;
        expected.Language = original.Language;
        ExpectSame(form.Record(), expected);
    }

    void AConfirmedDialogShowsAndKeepsEveryStoredValue() {
        const TProgramSettings stored = Changed();
        TSettingsForm form(stored, Offers());
        QCOMPARE(Control<QLineEdit>(form, "edProxyPassword")->echoMode(), QLineEdit::Password);
        QCOMPARE(Control<QComboBox>(form, "cbIdentifyAs")->currentText(), QString("Robot/2"));
        QVERIFY(Control<QRadioButton>(form, "rbBookmOther")->isChecked());
        QVERIFY(!Control<QComboBox>(form, "cbSelectedUser")->isEnabled());
        form.show();
        QTest::keyClick(&form, Qt::Key_Return);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        ExpectSame(form.Record(), stored);
    }

    void AUserOrEntryNoLongerOfferedFallsBackToTheFirst() {
        TProgramSettings stored;
        stored.SelectedUser = "gone";
        stored.DialUpEntry = "Old Provider";
        stored.BookmUserSelect = true;
        stored.ConnType = 1;
        {
            TSettingsForm form(stored, Offers());
            QCOMPARE(Control<QComboBox>(form, "cbSelectedUser")->currentText(), QString("default"));
            QCOMPARE(Control<QComboBox>(form, "cbDialUpEntry")->currentText(), QString("Provider A"));
            form.accept();
            QCOMPARE(form.Record().SelectedUser, std::string("default"));
            QCOMPARE(form.Record().DialUpEntry, std::string("Provider A"));
        }
        // Nothing offered (no browser, no phone book here): the stored names stay.
        TSettingsForm form(stored, TSettingsOffers());
        form.accept();
        QCOMPARE(form.Record().SelectedUser, std::string("gone"));
        QCOMPARE(form.Record().DialUpEntry, std::string("Old Provider"));
    }

    void ThePagesFormTheTreeOfSections() {
        TSettingsForm form{TProgramSettings(), TSettingsOffers()};
        QTreeWidget* tree = form.Pages()->Tree();
        QCOMPARE(tree->width(), 145);
        QStringList shown;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* section = tree->topLevelItem(i);
            QStringList pages;
            for (int j = 0; j < section->childCount(); ++j) pages << section->child(j)->text(0);
            shown << section->text(0) + ": " + pages.join(", ");
        }
        QCOMPARE(shown, QStringList({"Bookmark Import: Netscape, Internet Explorer, Firefox, Chromium / Chrome",
                                     "Behaviour: Clipboard, Identification, AutoSave",
                                     "Connection: Proxy, Timeouts, Internet Connection",
                                     "Advanced: Download Directory"}));
        // A section shows its first page; a page shows itself.
        tree->setCurrentItem(tree->topLevelItem(2));
        QCOMPARE(form.Pages()->CurrentPage(), static_cast<QWidget*>(form.Page(tgProxy)));
        form.Pages()->ShowPage(form.Page(tgAutoSave));
        QCOMPARE(tree->currentItem()->text(0), QString("AutoSave"));
        QCOMPARE(form.Pages()->findChild<QLabel*>("lbPageCaption")->text(), QString("AutoSave"));

        const QStringList agents = {"Mozilla/3.0 (compatible)", "Mozilla/4.0 (compatible; MSIE 5.01)",
                                    "Mozilla/4.01 (Win95; I)", "Mozilla/4.0 (compatible; HTTP Vorlin Offline-Browser)"};
        auto* identification = Control<QComboBox>(form, "cbIdentifyAs");
        QCOMPARE(identification->count(), agents.size());
        for (int i = 0; i < agents.size(); ++i) QCOMPARE(identification->itemText(i), agents[i]);
        QVERIFY(identification->isEditable());

        QCOMPARE(Control<QSpinBox>(form, "seAutosaveMinutes")->maximum(), 32767);
        QCOMPARE(Control<QSpinBox>(form, "seAutosaveMinutes")->minimum(), 0);
        QCOMPARE(Control<QSpinBox>(form, "seTimeOutLength")->maximum(), 32000);
        QCOMPARE(Control<QSpinBox>(form, "seTimeOutLength")->minimum(), 0);
    }

    void EveryTextCarriesATagInItsBlock() {
        TSettingsForm form{TProgramSettings(), Offers()};
        QCOMPARE(Tag(&form), int(tgSettingsForm));
        // Labels that show values (directories, the page caption) are not texts.
        const QStringList values = {"lbBookmNetscpDir", "lbFavStandard", "lbPageCaption"};
        for (QWidget* control : form.findChildren<QWidget*>()) {
            const bool carriesText = qobject_cast<QAbstractButton*>(control) || qobject_cast<QLabel*>(control) ||
                                     (qobject_cast<QGroupBox*>(control) && !qobject_cast<QGroupBox*>(control)->title().isEmpty());
            if (!carriesText || values.contains(control->objectName())) continue;
            const int tag = Tag(control);
            // The pages of the bookmark import beyond Netscape and favourites carry its tags.
            const bool settingsTag = tag >= 4000 && tag < 4500, bookmarkTag = tag >= 8000 && tag < 8500;
            QVERIFY2((settingsTag || bookmarkTag) && tag % 2 == 0, qPrintable(control->objectName()));
        }
        // A changed text reaches the control and the tree.
        AddBuiltinTexts({{tgUseProxy, "Use a proxy"}, {tgProxy, "Proxy server"}});
        form.Retranslate();
        QCOMPARE(Control<QCheckBox>(form, "cbUseProxy")->text(), QString("Use a proxy"));
        QCOMPARE(form.Pages()->ItemOf(form.Page(tgProxy))->text(0), QString("Proxy server"));
        AddBuiltinTexts({{tgUseProxy, "Proxy-Server benutzen"}, {tgProxy, "Proxy"}});
    }
};

QTEST_MAIN(SettingsFormTest)
#include "SettingsFormTest.moc"
