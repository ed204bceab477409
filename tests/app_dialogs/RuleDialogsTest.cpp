// The rule dialogs through the rule engine's editor hook: the rule dialog's
// check lists and live description (its connector words and element lines
// are clickable), the mask and file-size condition dialogs, Cancel giving
// the old settings back, and a rule made only through the dialogs that
// goes through the rules file byte for byte.
#include "app/dialogs/rules/ConditionForm.h"
#include "app/dialogs/rules/FileSizeConditionForm.h"
#include "app/dialogs/rules/QtRuleEditor.h"
#include "app/dialogs/rules/RuleDescriptionView.h"
#include "app/dialogs/rules/RuleForm.h"
#include "platform/Stream.h"
#include "rules/CopyActions.h"
#include "rules/FileSizeCondition.h"
#include "rules/HTTPVorlinAction.h"
#include "rules/HTTPVorlinRules.h"
#include "rules/MaskConditions.h"
#include "tests/app_dialogs/OptionsTestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace vorlin;
using namespace vorlin::app;
using namespace vorlin::test;

namespace {

// The Qt editor with a folder dialog the test answers.
struct TTestEditor : TQtRuleEditor {
    std::string Folder;
    bool ChooseDirectory(std::string& directory) override {
        if (Folder.empty()) return false;
        directory = Folder;
        return true;
    }
};

std::string Saved(const TFilterRules& rules) {
    TMemoryStream stream;
    rules.SaveToStream(stream);
    return stream.ToString();
}

int Row(const TFilterRule& rule, const TFilterElement& element) {
    for (int i = 0; i < rule.ConditionCount(); ++i)
        if (&rule.Conditions(i) == &element) return i;
    for (int i = 0; i < rule.ActionCount(); ++i)
        if (&rule.Actions(i) == &element) return i;
    return -1;
}

} // namespace

class RuleDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void RuleFormListsEveryElementAndDescribesTheActiveOnes();
    void ClickingTheConnectorTogglesAndOrAndALineOpensItsElement();
    void CancelledRuleDialogGivesTheOldSettingsBack();
    void MaskConditionDialog();
    void FileSizeConditionDialog();
    void RuleMadeThroughTheDialogsRoundTripsThroughTheRulesFile();

private:
    TTestEditor FEditor;
    std::unique_ptr<TRuleEditorInstallation> FInstalled;
};

void RuleDialogsTest::init() {
    FEditor.Folder.clear();
    FInstalled = std::make_unique<TRuleEditorInstallation>(FEditor);
}

void RuleDialogsTest::cleanup() { FInstalled.reset(); }

void RuleDialogsTest::RuleFormListsEveryElementAndDescribesTheActiveOnes() {
    THTTPVorlinRules rules;
    THTTPVorlinRule& rule = rules.Add();
    rule.Name = "Archives";
    TRuleForm form(rule);
    QCOMPARE(form.windowTitle(), QString("Properties of this Filter Rule: Archives"));
    QCOMPARE(form.Conditions()->count(), rule.ConditionCount());
    QCOMPARE(form.Actions()->count(), rule.ActionCount());
    QCOMPARE(form.Conditions()->item(0)->text(), QString::fromStdString(rule.Conditions(0).GetTemplateText()));
    QCOMPARE(form.Conditions()->item(0)->checkState(), Qt::Unchecked);

    auto* url = FindElement<TURLCondition>(rule);
    url->Masks = {"*.zip"};
    form.Conditions()->item(Row(rule, *url))->setCheckState(Qt::Checked);
    form.Actions()->item(Row(rule, *FindElement<TExcludeAction>(rule)))->setCheckState(Qt::Checked);
    QVERIFY(url->Active && FindElement<TExcludeAction>(rule)->Active);
    QCOMPARE(form.Description()->toPlainText(), QString::fromStdString(rule.Description().Text));
    QVERIFY(form.Description()->toPlainText().contains("URL must match the mask *.zip"));
    QVERIFY(form.Description()->toPlainText().contains("Exclude file from download"));
}

void RuleDialogsTest::ClickingTheConnectorTogglesAndOrAndALineOpensItsElement() {
    THTTPVorlinRules rules;
    THTTPVorlinRule& rule = rules.Add();
    FindElement<TFileNameCondition>(rule)->Active = true;
    FindElement<TURLCondition>(rule)->Active = true;
    TRuleForm form(rule);
    form.resize(600, 520);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const TRuleDescription description = rule.Description();
    const TRuleDescription::TLink* connector = nullptr;
    for (const auto& link : description.Links)
        if (link.Kind == TRuleDescription::TLinkKind::lkConnector) connector = &link;
    QVERIFY(connector);
    // A real click on the word "and" in the view.
    TRuleDescriptionView* view = form.Description();
    const QRect word = view->RectOf(connector->Start + 1);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, word.center());
    QCOMPARE(rule.Mode, uint8_t(TFilterRule::rmAny));
    QVERIFY(view->toPlainText().contains("   or "));

    // A click on the URL line opens the condition's dialog.
    const int urlLine = description.Lines[1].Start + description.Lines[1].Length - 1;
    bool opened = false;
    WhenModal([&](QDialog& dialog) {
        opened = dialog.objectName() == "TConditionForm";
        Control<QLineEdit>(dialog, "edMask")->setText("*.pdf");
        Press(dialog, "btOK");
    });
    form.DescriptionClick(urlLine);
    QVERIFY(opened);
    QCOMPARE(FindElement<TURLCondition>(rule)->Masks, std::vector<std::string>{"*.pdf"});
    QVERIFY(view->toPlainText().contains("*.pdf"));
}

void RuleDialogsTest::CancelledRuleDialogGivesTheOldSettingsBack() {
    THTTPVorlinRules rules;
    THTTPVorlinRule& rule = rules.Add();
    rule.Name = "Keep";
    FindElement<TFileNameCondition>(rule)->Active = true;
    FindElement<TFileNameCondition>(rule)->Masks = {"*.gif"};
    const std::string before = Saved(rules);
    WhenModal([](QDialog& dialog) {
        auto& form = static_cast<TRuleForm&>(dialog);
        form.Conditions()->item(0)->setCheckState(Qt::Unchecked);
        form.Actions()->item(0)->setCheckState(Qt::Checked);
        form.DescriptionClick(0);
        Press(dialog, "btCancel");
    });
    QVERIFY(!rule.Edit());
    QCOMPARE(Saved(rules), before);

    // Confirmed, the changes stay.
    WhenModal([](QDialog& dialog) {
        static_cast<TRuleForm&>(dialog).Actions()->item(0)->setCheckState(Qt::Checked);
        Press(dialog, "btOK");
    });
    QVERIFY(rule.Edit());
    QVERIFY(FindElement<TForceDownloadAction>(rule)->Active);
}

void RuleDialogsTest::MaskConditionDialog() {
    TFileNameCondition condition;
    condition.Masks = {"*.gif"};
    TConditionForm form(condition);
    QCOMPARE(form.windowTitle(), QString("Properties of this Condition"));
    QListWidget* list = form.List();
    QCOMPARE(list->item(0)->text(), QString("FileName must match the following mask(s)"));
    QCOMPARE(list->item(1)->text(), QString("   *.gif"));
    auto* edit = Control<QLineEdit>(form, "edMask");
    edit->setText("*.jpg");
    Press(form, "btAddMask");
    QVERIFY(edit->text().isEmpty());
    QCOMPARE(list->item(2)->text(), QString("   and *.jpg"));
    Control<QRadioButton>(form, "rbConditionAny")->setChecked(true);
    QCOMPARE(list->item(2)->text(), QString("   or *.jpg"));
    Control<QCheckBox>(form, "cbNegate")->setChecked(true);
    QCOMPARE(list->item(0)->text(), QString("FileName must not match the following mask(s)"));

    // A malformed mask is refused with the reason, and stays in the edit.
    edit->setText("[abc");
    Press(form, "btAddMask");
    QCOMPARE(form.Masks().size(), size_t(2));
    QVERIFY(Control<QLabel>(form, "lbMaskError")->text().contains("[abc"));
    QCOMPARE(edit->text(), QString("[abc"));

    // The heading can't be removed; "&Edit" moves a mask into the edit.
    list->setCurrentRow(0);
    Press(form, "btRemoveMask");
    QCOMPARE(form.Masks().size(), size_t(2));
    list->setCurrentRow(1);
    Press(form, "btEditMask");
    QCOMPARE(edit->text(), QString("*.gif"));
    QCOMPARE(form.Masks(), std::vector<std::string>{"*.jpg"});
    // "&OK" adds what still stands in the edit.
    edit->setText("*.png");
    Press(form, "btOK");
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(condition.Masks, (std::vector<std::string>{"*.jpg", "*.png"}));
    QVERIFY(condition.Negate);
    QCOMPARE(condition.Mode, uint8_t(THTTPVorlinCondition::cmAny));

    // Cancel through the editor leaves the condition as it was.
    WhenModal([](QDialog& dialog) {
        Control<QCheckBox>(dialog, "cbNegate")->setChecked(false);
        Press(dialog, "btCancel");
    });
    QVERIFY(!condition.Edit());
    QVERIFY(condition.Negate);
}

void RuleDialogsTest::FileSizeConditionDialog() {
    TFileSizeCondition condition;
    TFileSizeConditionForm form(condition);
    auto* description = Control<QLabel>(form, "lbDescription");
    QCOMPARE(description->text(), QString("Filesize must be '...'"));
    QVERIFY(!Control<QSpinBox>(form, "seMinSize")->isEnabled());
    Control<QCheckBox>(form, "cbGreaterEnabled")->setChecked(true);
    Control<QSpinBox>(form, "seMinSize")->setValue(10);
    Control<QCheckBox>(form, "cbLessEnabled")->setChecked(true);
    Control<QSpinBox>(form, "seMaxSize")->setValue(100);
    QCOMPARE(description->text(), QString("Filesize must be < 100 KB and > 10 KB"));
    QVERIFY(condition.MaxSize == 0 && !condition.LessEnabled);  // only OK writes
    Press(form, "btOK");
    QVERIFY(condition.GreaterEnabled && condition.LessEnabled);
    QCOMPARE(condition.MinSize, 10);
    QCOMPARE(condition.MaxSize, 100);
}

void RuleDialogsTest::RuleMadeThroughTheDialogsRoundTripsThroughTheRulesFile() {
    QTemporaryDir dir;
    FEditor.Folder = dir.path().toStdString() + "/copies";
    THTTPVorlinRules rules;
    THTTPVorlinRule& rule = rules.Add();
    rule.Name = "Big archives";
    rule.Enabled = true;
    TRuleForm form(rule);
    auto tick = [&](QListWidget* list, const TFilterElement& element) {
        list->item(Row(rule, element))->setCheckState(Qt::Checked);
    };
    tick(form.Conditions(), *FindElement<TURLCondition>(rule));
    tick(form.Conditions(), *FindElement<TFileSizeCondition>(rule));
    tick(form.Actions(), *FindElement<TExcludeAction>(rule));
    tick(form.Actions(), *FindElement<TCopyToDirAction>(rule));
    // Each element's settings through its own dialog, opened from the description.
    const TRuleDescription description = rule.Description();
    auto lineOf = [&](const TFilterElement& element) {
        for (const auto& line : description.Lines)
            if (line.Element == &element) return line.Start + line.Length - 1;  // past the connector
        return -1;
    };
    WhenModal([](QDialog& dialog) {
        Control<QLineEdit>(dialog, "edMask")->setText("*.zip");
        Press(dialog, "btAddMask");
        Control<QLineEdit>(dialog, "edMask")->setText("*.tar.gz");
        Control<QRadioButton>(dialog, "rbConditionAny")->setChecked(true);
        Press(dialog, "btOK");
    });
    form.DescriptionClick(lineOf(*FindElement<TURLCondition>(rule)));
    WhenModal([](QDialog& dialog) {
        Control<QCheckBox>(dialog, "cbGreaterEnabled")->setChecked(true);
        Control<QSpinBox>(dialog, "seMinSize")->setValue(100);
        Press(dialog, "btOK");
    });
    form.DescriptionClick(lineOf(*FindElement<TFileSizeCondition>(rule)));
    form.DescriptionClick(lineOf(*FindElement<TCopyToDirAction>(rule)));
    QCOMPARE(FindElement<TCopyToDirAction>(rule)->Directory, FEditor.Folder);

    // The same rule made directly gives the same bytes.
    THTTPVorlinRules expected;
    THTTPVorlinRule& direct = expected.Add();
    direct.Name = "Big archives";
    direct.Enabled = true;
    auto* url = FindElement<TURLCondition>(direct);
    url->Active = true;
    url->Masks = {"*.zip", "*.tar.gz"};
    url->Mode = THTTPVorlinCondition::cmAny;
    auto* size = FindElement<TFileSizeCondition>(direct);
    size->Active = size->GreaterEnabled = true;
    size->MinSize = 100;
    FindElement<TExcludeAction>(direct)->Active = true;
    FindElement<TCopyToDirAction>(direct)->Active = true;
    FindElement<TCopyToDirAction>(direct)->Directory = FEditor.Folder;
    QCOMPARE(Saved(rules), Saved(expected));

    const std::string file = dir.path().toStdString() + "/Site.prj.rules";
    rules.SaveToFile(file);
    THTTPVorlinRules loaded;
    loaded.LoadFromFile(file);
    const std::string second = dir.path().toStdString() + "/Again.prj.rules";
    loaded.SaveToFile(second);
    QCOMPARE(FileBytes(second), FileBytes(file));
    QCOMPARE(FileBytes(file), Saved(expected));
}

QTEST_MAIN(RuleDialogsTest)
#include "RuleDialogsTest.moc"
