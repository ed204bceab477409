// What the rule dialogs and the command line show: element sentences, the
// rule description with its links, clicks on it, editing and the text table.
#include "RuleTestSupport.h"

#include "rules/CopyActions.h"
#include "rules/FileSizeCondition.h"
#include "rules/MaskConditions.h"
#include "rules/RuleEditor.h"
#include "rules/RuleTexts.h"

#include <gtest/gtest.h>

using namespace vorlin;
using namespace vorlin::test;

namespace {

std::string LinkText(const TFilterElement& e) {
    return e.GetDescription().substr(static_cast<size_t>(e.GetLinkStart() - 1), static_cast<size_t>(e.GetLinkLength()));
}

} // namespace

TEST(RuleDescription, MaskConditionSentences) {
    TFileNameCondition name;
    EXPECT_EQ(name.GetTemplateText(), "Filename must match the mask 'mask'");
    EXPECT_EQ(name.GetDescription(), "Filename must match the mask 'mask'");
    EXPECT_EQ(name.GetLinkStart(), 30);
    EXPECT_EQ(LinkText(name), "'mask'");
    name.Masks = {"*.gif", "*.jpg"};
    name.Mode = THTTPVorlinCondition::cmAny;
    EXPECT_EQ(name.GetDescription(), "Filename must match the mask *.gif or *.jpg ");
    EXPECT_EQ(LinkText(name), "*.gif or *.jpg ");
    name.Negate = true;
    name.Mode = THTTPVorlinCondition::cmAll;
    EXPECT_EQ(name.GetDescription(), "Filename must not match the mask *.gif and *.jpg ");
    EXPECT_EQ(name.GetLinkStart(), 34);
    EXPECT_EQ(name.GetTemplateText(), "Filename must match the mask 'mask'");
    EXPECT_EQ(name.GetNegatedListHeading(), "FileName must not match the following mask(s)");

    TFilePathCondition path;
    EXPECT_EQ(path.GetListHeading(), "Filepath (Path + Filename) must match the following mask(s)");
    TURLCondition url;
    url.Negate = true;
    url.Masks = {"http://x/*"};
    EXPECT_EQ(url.GetDescription(), "URL must not match the mask http://x/* ");
    TMimeTypeCondition mime;
    EXPECT_EQ(mime.GetNegatedMaskFormat(), "Mimetype must not match the mask %s");
}

TEST(RuleDescription, SizeCopyAndFlagSentences) {
    TFileSizeCondition size;
    EXPECT_EQ(size.GetDescription(), "Filesize must be '...'");
    size.Negate = true;
    EXPECT_EQ(size.GetDescription(), "Filesize must be '...'");  // nothing to negate yet
    size.LessEnabled = true;
    size.MaxSize = 100;
    EXPECT_EQ(size.GetDescription(), "Filesize must not be < 100 KB");
    size.Negate = false;
    size.GreaterEnabled = true;
    size.MinSize = 10;
    size.Mode = THTTPVorlinCondition::cmAny;
    EXPECT_EQ(size.GetDescription(), "Filesize must be < 100 KB or > 10 KB");
    EXPECT_EQ(LinkText(size), "< 100 KB or > 10 KB");
    EXPECT_EQ(size.GetTemplateText(), "Filesize must be '...'");

    TCopyToDirStructureKeepAction keep;
    EXPECT_EQ(keep.GetDescription(), "Copy file to directory '...' but keep the path to that file");
    keep.Directory = "/srv/copies";
    EXPECT_EQ(LinkText(keep), "/srv/copies");
    TCopyToDirAction copy;
    EXPECT_EQ(copy.GetTemplateText(), "Copy file to directory '...'");

    TForceDownloadAction force;
    EXPECT_EQ(force.GetDescription(), "Force download of this file");
    EXPECT_EQ(force.GetLinkStart(), 0);
    EXPECT_EQ(force.GetLinkLength(), 0);
    EXPECT_EQ(TExcludeAction().GetTemplateText(), "Exclude file from download");
}

namespace {

struct TRuleWithTwoConditions {
    THTTPVorlinRules Rules;
    THTTPVorlinRule& Rule = Rules.Add();
    TRuleWithTwoConditions() {
        auto& name = ConditionOf<TFileNameCondition>(Rule);
        name.Active = true;
        name.Masks = {"*.gif"};
        auto& size = ConditionOf<TFileSizeCondition>(Rule);
        size.Active = size.GreaterEnabled = true;
        size.MinSize = 10;
        ActionOf<TExcludeAction>(Rule).Active = true;
    }
};

// Records what was opened; answers as told, after changing the rule.
class TRecordingEditor : public IRuleEditor {
public:
    bool Confirm = false;
    std::string Opened;
    bool EditRule(THTTPVorlinRule& rule) override {
        Opened = "rule";
        rule.Name = "changed";
        ConditionOf<TURLCondition>(rule).Active = true;
        return Confirm;
    }
    bool EditMaskCondition(THTTPVorlinMaskCondition& c) override {
        Opened = "masks";
        c.Masks.push_back("*.png");
        return Confirm;
    }
    bool EditFileSizeCondition(TFileSizeCondition& c) override {
        Opened = "size";
        c.MinSize = 99;
        return Confirm;
    }
    bool ChooseDirectory(std::string& directory) override {
        Opened = "folder:" + directory;
        directory = "/chosen";
        return Confirm;
    }
};

struct TInstalledEditor {
    explicit TInstalledEditor(IRuleEditor& e) { SetRuleEditor(&e); }
    ~TInstalledEditor() { SetRuleEditor(nullptr); }
};

} // namespace

TEST(RuleDescription, RuleDescriptionWithLinks) {
    TRuleWithTwoConditions r;
    TRuleDescription d = r.Rule.Description();
    EXPECT_EQ(d.Text,
              "If the following conditions are met:\n"
              "   Filename must match the mask *.gif \n"
              "   and Filesize must be > 10 KB\n"
              "then execute these actions:\n"
              "   Exclude file from download");
    ASSERT_EQ(d.Links.size(), 3u);
    auto text = [&](const TRuleDescription::TLink& l) { return d.Text.substr(l.Start, l.Length); };
    EXPECT_EQ(text(d.Links[0]), "*.gif ");
    EXPECT_EQ(text(d.Links[1]), "and");
    EXPECT_EQ(d.Links[1].Kind, TRuleDescription::TLinkKind::lkConnector);
    EXPECT_EQ(text(d.Links[2]), "> 10 KB");
    ASSERT_EQ(d.Lines.size(), 3u);
    EXPECT_EQ(d.Lines[2].Element, &ActionOf<TExcludeAction>(r.Rule));

    r.Rule.Mode = TFilterRule::rmAny;
    EXPECT_NE(r.Rule.Description().Text.find("   or Filesize"), std::string::npos);
}

TEST(RuleDescription, ClicksToggleTheModeOrEditTheElement) {
    TRuleWithTwoConditions r;
    TRecordingEditor editor;
    TInstalledEditor installed(editor);
    const TRuleDescription d = r.Rule.Description();
    r.Rule.DescriptionClick(d.Links[1].Start + 1);  // on "and"
    EXPECT_EQ(r.Rule.Mode, TFilterRule::rmAny);
    EXPECT_EQ(editor.Opened, "");
    r.Rule.DescriptionClick(d.Links[1].Start);  // on "or" now, same place
    EXPECT_EQ(r.Rule.Mode, TFilterRule::rmAll);

    // A click in the size line opens its editor; cancelled, nothing changes.
    r.Rule.DescriptionClick(d.Lines[1].Start + d.Lines[1].Length - 2);
    EXPECT_EQ(editor.Opened, "size");
    EXPECT_EQ(ConditionOf<TFileSizeCondition>(r.Rule).MinSize, 10);
    editor.Confirm = true;
    r.Rule.DescriptionClick(d.Lines[0].Start + 4);
    EXPECT_EQ(editor.Opened, "masks");
    EXPECT_EQ(ConditionOf<TFileNameCondition>(r.Rule).Masks, (std::vector<std::string>{"*.gif", "*.png"}));
    // A heading is no element.
    editor.Opened.clear();
    r.Rule.DescriptionClick(2);
    EXPECT_EQ(editor.Opened, "");
}

TEST(RuleDescription, ACancelledRuleDialogRestoresTheRule) {
    TRuleWithTwoConditions r;
    r.Rule.Name = "mine";
    EXPECT_FALSE(r.Rule.Edit());  // no dialogs installed
    TRecordingEditor editor;
    TInstalledEditor installed(editor);
    EXPECT_FALSE(r.Rule.Edit());
    EXPECT_EQ(r.Rule.Name, "mine");
    EXPECT_FALSE(ConditionOf<TURLCondition>(r.Rule).Active);
    editor.Confirm = true;
    EXPECT_TRUE(r.Rule.Edit());
    EXPECT_EQ(r.Rule.Name, "changed");

    TCopyToDirAction copy;
    copy.Directory = "/old";
    editor.Confirm = false;
    EXPECT_FALSE(copy.Edit());
    EXPECT_EQ(editor.Opened, "folder:/old");
    EXPECT_EQ(copy.Directory, "/old");
    editor.Confirm = true;
    EXPECT_TRUE(copy.Edit());
    EXPECT_EQ(copy.Directory, "/chosen");
}

TEST(RuleDescription, RulesAssignElementByElement) {
    TRuleWithTwoConditions a;
    a.Rule.Name = "source";
    a.Rule.Enabled = true;
    THTTPVorlinRule& b = a.Rules.Add();
    b.Assign(a.Rule);
    EXPECT_EQ(b.Name, "source");
    EXPECT_TRUE(b.Enabled);
    EXPECT_EQ(b.Description().Text, a.Rule.Description().Text);
    EXPECT_THROW(b.Conditions(0).Assign(b.Conditions(1)), Exception);
}

TEST(RuleDescription, ALanguageReplacesTheWholeTable) {
    ReplaceRuleTexts([](int id) -> std::optional<std::string> {
        if (id == rtFileName) return "Dateiname passt auf %s";
        if (id == rtMaskPlaceholder) return "%d%n'Maske'";  // never used as a format
        return std::nullopt;
    });
    TFileNameCondition name;
    EXPECT_EQ(name.GetDescription(), "Dateiname passt auf %d%n'Maske'");
    EXPECT_EQ(RuleText(rtNewRule), "");  // missing from the language
    TForceDownloadAction force;
    EXPECT_EQ(force.GetDescription(), "");
    ReplaceRuleTexts([](int id) -> std::optional<std::string> {
        if (id == rtURL) return "no placeholder";
        return std::string("x");
    });
    TURLCondition url;
    url.Masks = {"*"};
    EXPECT_EQ(url.GetDescription(), "no placeholder");
    EXPECT_EQ(url.GetLinkStart(), 0);
    EXPECT_EQ(url.GetLinkLength(), 0);
    RestoreDefaultRuleTexts();
    EXPECT_EQ(RuleText(rtNewRule), "New Rule");
    EXPECT_EQ(RuleText(rtRuleNameCaption), "Name of the Rule");
    EXPECT_EQ(RuleText(1799), "");
}
