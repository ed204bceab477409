// `vorlin rules`, run as the program scripts run it.
#include "RuleTestSupport.h"

#include "rules/CopyActions.h"
#include "rules/FileSizeCondition.h"
#include "rules/MaskConditions.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <initializer_list>

using namespace vorlin;
using namespace vorlin::test;

namespace {

struct TResult {
    int Status = -1;
    std::string Out, Err;
};

std::string Quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Contents(const std::string& file) {
    if (!FileExists(file)) return "<none>";
    TMemoryStream m;
    m.LoadFromFile(file);
    return m.ToString();
}

class RulesCommand : public ::testing::Test {
protected:
    TScratchDir Dir;
    std::string Project = Dir.Path() + "site.prj";
    std::string RulesFile = Project + ".rules";

    void SetUp() override { TFileStream(Project, fmCreate); }

    TResult Run(std::initializer_list<std::string> args) {
        std::string command = Quoted(VORLIN_PROGRAM) + " rules";
        for (const std::string& a : args) command += " " + Quoted(a);
        command += " >" + Quoted(Dir.Path() + "out") + " 2>" + Quoted(Dir.Path() + "err");
        TResult r;
        int raw = std::system(command.c_str());
        r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.Out = Contents(Dir.Path() + "out");
        r.Err = Contents(Dir.Path() + "err");
        return r;
    }

    std::unique_ptr<THTTPVorlinRules> Stored() {
        auto rules = std::make_unique<THTTPVorlinRules>();
        rules->LoadFromFile(RulesFile);
        return rules;
    }
};

} // namespace

TEST_F(RulesCommand, AddBuildsTheRuleTheOptionsDescribe) {
    TResult r = Run({"add", Project, "--name-mask", "*.gif,*.jpg", "--size-above", "10", "--size-below", "500",
                     "--exclude", "--name", "big images"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    r = Run({"add", Project, "--url-mask", "not:all:http://*,*.pdf", "--any", "--mime-mask", "application/pdf",
             "--copy-to", "pdfs", "--copy-keep-path", Dir.Path() + "tree", "--disabled", "--force"});
    ASSERT_EQ(r.Status, 0) << r.Err;

    auto rules = Stored();
    ASSERT_EQ(rules->Count(), 2);
    THTTPVorlinRule& first = rules->Rules(0);
    EXPECT_EQ(first.Name, "big images");
    EXPECT_TRUE(first.Enabled);
    EXPECT_EQ(first.Mode, TFilterRule::rmAll);
    auto& name = ConditionOf<TFileNameCondition>(first);
    EXPECT_EQ(name.Masks, (std::vector<std::string>{"*.gif", "*.jpg"}));
    EXPECT_EQ(name.Mode, THTTPVorlinCondition::cmAny);
    auto& size = ConditionOf<TFileSizeCondition>(first);
    EXPECT_TRUE(size.Active && size.GreaterEnabled && size.LessEnabled);
    EXPECT_EQ(size.Mode, THTTPVorlinCondition::cmAll);
    EXPECT_EQ(size.MinSize, 10);
    EXPECT_EQ(size.MaxSize, 500);
    EXPECT_TRUE(ActionOf<TExcludeAction>(first).Active);
    EXPECT_FALSE(ActionOf<TForceDownloadAction>(first).Active);

    THTTPVorlinRule& second = rules->Rules(1);
    EXPECT_EQ(second.Name, "New Rule");
    EXPECT_FALSE(second.Enabled);
    EXPECT_EQ(second.Mode, TFilterRule::rmAny);
    auto& url = ConditionOf<TURLCondition>(second);
    EXPECT_TRUE(url.Negate);
    EXPECT_EQ(url.Mode, THTTPVorlinCondition::cmAll);
    EXPECT_TRUE(ConditionOf<TMimeTypeCondition>(second).Active);
    // A relative directory is kept as the absolute one it meant.
    const std::string copyDir = ActionOf<TCopyToDirAction>(second).Directory;
    EXPECT_EQ(copyDir.front(), '/');
    EXPECT_EQ(copyDir.substr(copyDir.size() - 5), "/pdfs");
    EXPECT_EQ(ActionOf<TCopyToDirStructureKeepAction>(second).Directory, Dir.Path() + "tree");
}

TEST_F(RulesCommand, ListPrintsNumberedDescriptions) {
    EXPECT_EQ(Run({Project}).Out, "No rules.\n");
    ASSERT_EQ(Run({"add", Project, "--name-mask", "*.gif", "--size-above", "10", "--exclude"}).Status, 0);
    TResult r = Run({Project});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out,
              "1. New Rule\n"
              "   If the following conditions are met:\n"
              "      Filename must match the mask *.gif \n"
              "      and Filesize must be > 10 KB\n"
              "   then execute these actions:\n"
              "      Exclude file from download\n");
}

TEST_F(RulesCommand, BadInputIsRefusedAndNothingIsWritten) {
    TResult r = Run({"add", Project, "--name-mask", "*.gif,[abc", "--exclude"});
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("'[abc' ist eine ungültige Maske für (5)"), std::string::npos) << r.Err;
    EXPECT_EQ(Contents(RulesFile), "<none>");
    EXPECT_EQ(Run({"add", Project, "--exclude"}).Status, 2);               // no condition
    EXPECT_EQ(Run({"add", Project, "--size-above", "x", "--force"}).Status, 2);
    EXPECT_EQ(Run({"add", Project, "--url-mask", "a", "--url-mask", "b", "--force"}).Status, 2);
    EXPECT_EQ(Run({"add", Project, "--url-mask", "*", "--bogus"}).Status, 2);
    EXPECT_EQ(Run({"add", Project, "--url-mask"}).Status, 2);
    EXPECT_EQ(Contents(RulesFile), "<none>");
    EXPECT_EQ(Run({"add", Dir.Path() + "missing.prj", "--url-mask", "*", "--force"}).Status, 1);

    // A damaged rules file is reported and left as it is.
    WriteFileAtomically(RulesFile, [](TFileStream& f) { f.WriteBuffer("\x05\0\0\0\x01", 5); });
    r = Run({"add", Project, "--url-mask", "*", "--force"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("Stream read error"), std::string::npos) << r.Err;
    EXPECT_EQ(Contents(RulesFile), std::string("\x05\0\0\0\x01", 5));
}

TEST_F(RulesCommand, DeleteRemovesRuleN) {
    for (const char* name : {"one", "two", "three"})
        ASSERT_EQ(Run({"add", Project, "--url-mask", "*", "--force", "--name", name}).Status, 0);
    EXPECT_EQ(Run({"delete", Project, "2"}).Status, 0);
    auto rules = Stored();
    ASSERT_EQ(rules->Count(), 2);
    EXPECT_EQ(rules->Rules(1).Name, "three");
    EXPECT_EQ(Run({"delete", Project, "3"}).Status, 2);
    EXPECT_EQ(Run({"delete", Project, "0"}).Status, 2);
    EXPECT_EQ(Run({"delete", Project, "x"}).Status, 2);
    EXPECT_EQ(Stored()->Count(), 2);
}
