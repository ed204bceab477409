// Conditions, phases and the rule walk of the download engine's rules.
#include "RuleTestSupport.h"

#include "rules/FileSizeCondition.h"
#include "rules/HTTPVorlinAction.h"
#include "rules/Mask.h"
#include "rules/MaskConditions.h"

#include <gtest/gtest.h>

using namespace vorlin;
using namespace vorlin::test;

namespace {

class RuleEvaluation : public ::testing::Test, public TLinkFixture {
protected:
    THTTPVorlinRules Rules;

    bool EvaluateIn(THTTPVorlinRule& rule, int phase) {
        rule.SetLink(&Link);
        rule.SetProject(&Project);
        rule.SetPhase(phase);
        return rule.Evaluate();
    }
    template <class T> T& Masks(THTTPVorlinRule& rule, std::vector<std::string> masks, uint8_t mode) {
        auto& c = ConditionOf<T>(rule);
        c.Active = true;
        c.Masks = std::move(masks);
        c.Mode = mode;
        return c;
    }
    TFileSizeCondition& SizeAbove(THTTPVorlinRule& rule, int kb) {
        auto& c = ConditionOf<TFileSizeCondition>(rule);
        c.Active = c.GreaterEnabled = true;
        c.MinSize = kb;
        return c;
    }
    void Response(const std::string& path, int bytes, const std::string& mime) {
        SetURL(path);
        Link.Size = bytes;
        Link.MimeType = mime;
    }
};

} // namespace

TEST_F(RuleEvaluation, ASizeConditionWaitsForPhaseOneWithoutCaching) {
    THTTPVorlinRule& rule = Rules.Add();
    SizeAbove(rule, 10);
    Link.Size = 20 * 1024;
    EXPECT_FALSE(EvaluateIn(rule, 0));
    rule.SetPhase(1);  // same link: the phase-0 answer was not cached
    EXPECT_TRUE(rule.Evaluate());
    rule.SetPhase(0);  // now it was
    EXPECT_TRUE(rule.Evaluate());
    rule.SetLink(&Link);
    EXPECT_FALSE(rule.Evaluate());
}

TEST_F(RuleEvaluation, ZipAndSizeRuleOnlyDecidesAfterTheHeader) {
    THTTPVorlinRule& rule = Rules.Add();
    Masks<TURLCondition>(rule, {"*.zip"}, THTTPVorlinCondition::cmAny);
    SizeAbove(rule, 100);
    Response("files/big.zip", 500 * 1024, "application/zip");
    EXPECT_FALSE(EvaluateIn(rule, 0));
    EXPECT_TRUE(EvaluateIn(rule, 1));
    Response("files/small.zip", 50 * 1024, "application/zip");
    EXPECT_FALSE(EvaluateIn(rule, 0));
    EXPECT_FALSE(EvaluateIn(rule, 1));
    Response("index.html", 500 * 1024, "text/html");
    EXPECT_FALSE(EvaluateIn(rule, 1));
}

TEST_F(RuleEvaluation, RuleModesJoinTheConditions) {
    THTTPVorlinRule& rule = Rules.Add();
    EXPECT_FALSE(EvaluateIn(rule, 0));  // no active condition
    Masks<TFileNameCondition>(rule, {"*.gif"}, THTTPVorlinCondition::cmAny);
    Masks<TFilePathCondition>(rule, {"img/*"}, THTTPVorlinCondition::cmAny);
    SetURL("img/a.jpg");
    EXPECT_FALSE(EvaluateIn(rule, 0));
    rule.Mode = TFilterRule::rmAny;
    EXPECT_TRUE(EvaluateIn(rule, 0));
    SetURL("x/a.gif");
    EXPECT_TRUE(EvaluateIn(rule, 0));
    // Any other mode: the first condition decides.
    rule.Mode = 7;
    SetURL("x/a.jpg");
    EXPECT_FALSE(EvaluateIn(rule, 0));
    SetURL("x/a.gif");
    EXPECT_TRUE(EvaluateIn(rule, 0));
}

TEST_F(RuleEvaluation, MaskListsAndNegation) {
    THTTPVorlinRule& rule = Rules.Add();
    auto& name = Masks<TFileNameCondition>(rule, {"*.gif", "*.jpg"}, THTTPVorlinCondition::cmAny);
    name.SetLink(&Link);
    SetURL("a.gif");
    EXPECT_TRUE(name.Evaluate());
    SetURL("b.JPG");
    EXPECT_TRUE(name.Evaluate());
    name.Mode = THTTPVorlinCondition::cmAll;
    EXPECT_FALSE(name.Evaluate());
    name.Masks = {"b*", "*.jpg"};
    EXPECT_TRUE(name.Evaluate());
    name.Masks.clear();
    EXPECT_FALSE(name.Evaluate());
    name.Mode = THTTPVorlinCondition::cmAny;
    EXPECT_FALSE(name.Evaluate());
    name.Negate = true;
    EXPECT_TRUE(name.Evaluate());
    name.Mode = 9;
    EXPECT_TRUE(name.Evaluate());  // false, negated
}

TEST_F(RuleEvaluation, SubjectsOfTheMaskConditions) {
    THTTPVorlinRule& rule = Rules.Add();
    auto& name = Masks<TFileNameCondition>(rule, {"page.html"}, THTTPVorlinCondition::cmAny);
    auto& path = Masks<TFilePathCondition>(rule, {"/dir/*"}, THTTPVorlinCondition::cmAny);
    auto& url = Masks<TURLCondition>(rule, {"http://host/dir/*"}, THTTPVorlinCondition::cmAny);
    auto& mime = Masks<TMimeTypeCondition>(rule, {"*"}, THTTPVorlinCondition::cmAny);
    for (THTTPVorlinCondition* c : std::initializer_list<THTTPVorlinCondition*>{&name, &path, &url, &mime})
        c->SetLink(&Link);
    SetURL("dir/sub/page.html");
    EXPECT_TRUE(name.Evaluate());   // the file name, not the whole local name
    EXPECT_FALSE(path.Evaluate());  // paths have no leading "/"
    path.Masks = {"dir/*"};
    EXPECT_TRUE(path.Evaluate());
    EXPECT_TRUE(url.Evaluate());
    Link.Anchor = "#top";
    EXPECT_TRUE(url.Evaluate());  // the fragment is not part of the URL
    // An empty content type is false, negated or not; an empty path too.
    EXPECT_FALSE(mime.Evaluate());
    mime.Negate = true;
    EXPECT_FALSE(mime.Evaluate());
    SetURL("");
    path.Negate = true;
    EXPECT_FALSE(path.Evaluate());
    // A directory link has no file name yet.
    SetURL("dir/");
    name.Negate = true;
    EXPECT_FALSE(name.Evaluate());
    // The content type condition has no phase 0.
    EXPECT_FALSE(HasPhase(mime.GetPhases(), 0));
}

TEST_F(RuleEvaluation, FileSizeTests) {
    THTTPVorlinRule& rule = Rules.Add();
    auto& size = SizeAbove(rule, 10);
    size.LessEnabled = true;
    size.MaxSize = 100;
    size.SetLink(&Link);
    auto at = [&](int bytes) {
        Link.Size = bytes;
        return size.Evaluate();
    };
    EXPECT_TRUE(at(50 * 1024));
    EXPECT_FALSE(at(5 * 1024));
    EXPECT_FALSE(at(500 * 1024));
    EXPECT_FALSE(at(10 * 1024));  // both limits are exclusive
    size.Mode = THTTPVorlinCondition::cmAny;
    EXPECT_TRUE(at(5 * 1024));
    size.GreaterEnabled = false;
    EXPECT_TRUE(at(-1));  // an unknown size counts as less
    EXPECT_FALSE(at(100 * 1024));
    size.LessEnabled = false;
    EXPECT_FALSE(at(1));
    size.Negate = true;
    EXPECT_TRUE(at(1));
    // Limits near the top of the range must not wrap.
    size.Negate = false;
    size.LessEnabled = true;
    size.MaxSize = INT32_MAX;
    EXPECT_TRUE(at(INT32_MAX));
}

TEST_F(RuleEvaluation, EnabledRulesRunAndEveryMatchActs) {
    THTTPVorlinRule& off = Rules.Add();
    Masks<TURLCondition>(off, {"*.html"}, THTTPVorlinCondition::cmAny);
    ActionOf<TForceDownloadAction>(off).Active = true;
    THTTPVorlinRule& exclude = Rules.Add();
    exclude.Enabled = true;
    Masks<TURLCondition>(exclude, {"*.html"}, THTTPVorlinCondition::cmAny);
    ActionOf<TExcludeAction>(exclude).Active = true;
    THTTPVorlinRule& force = Rules.Add();
    force.Enabled = true;
    Masks<TFileNameCondition>(force, {"other*"}, THTTPVorlinCondition::cmAny);
    ActionOf<TForceDownloadAction>(force).Active = true;

    Rules.RunPhase(Link, Project, 0);
    EXPECT_TRUE(Link.Excluded);
    EXPECT_FALSE(Link.Forced);  // the disabled rule did not run
    TDownloadLink other(&Project);
    other.SetServer("http://host/");
    other.Path = other.LocalFileName = "other.html";
    Rules.RunPhase(other, Project, 2);  // neither action takes part in phase 2
    EXPECT_FALSE(other.Excluded || other.Forced);
    Rules.RunPhase(other, Project, 1);  // a match does not end the walk
    EXPECT_TRUE(other.Excluded && other.Forced);
}

TEST_F(RuleEvaluation, ForceAndExcludeTogetherFetchTheLink) {
    Project.Rules = &Rules;
    THTTPVorlinRule& rule = Rules.Add();
    rule.Enabled = true;
    Masks<TFileNameCondition>(rule, {"*.html"}, THTTPVorlinCondition::cmAny);
    ActionOf<TExcludeAction>(rule).Active = true;
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    ActionOf<TForceDownloadAction>(rule).Active = true;
    Link.Excluded = false;
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    EXPECT_TRUE(Link.Excluded && Link.Forced);
    Project.Rules = nullptr;
}

TEST_F(RuleEvaluation, AMalformedMaskRaisesWhenEvaluated) {
    THTTPVorlinRule& rule = Rules.Add();
    rule.Enabled = true;
    Masks<TURLCondition>(rule, {"[abc"}, THTTPVorlinCondition::cmAny);
    EXPECT_THROW(Rules.RunPhase(Link, Project, 0), EMaskException);
}

TEST(RunRules, LoadedAtTheStartOfARunAndDetachedWhenFreed) {
    TScratchDir dir;
    TDownloadProject project;
    project.DataFileName = dir.Path() + "site.dat";
    std::string error;
    {
        THTTPVorlinRules saved;
        saved.Add().Name = "one";
        saved.SaveToFile(dir.Path() + "site.prj.rules");
    }
    {
        auto rules = CreateRunRules(project, error);
        EXPECT_EQ(error, "");
        EXPECT_EQ(project.Rules, rules.get());
        EXPECT_EQ(rules->Count(), 1);
    }
    EXPECT_EQ(project.Rules, nullptr);

    // A damaged file: the message for the log, and the run goes on with the rules read.
    WriteFileAtomically(dir.Path() + "site.prj.rules", [](TFileStream& f) { f.WriteBuffer("\x01\0\0", 3); });
    auto rules = CreateRunRules(project, error);
    EXPECT_EQ(error, "Stream read error");
    EXPECT_EQ(project.Rules, rules.get());
    EXPECT_EQ(rules->Count(), 0);

    // No rules file, or a project without data file: an empty list.
    TDownloadProject fresh;
    auto none = CreateRunRules(fresh, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(none->Count(), 0);
}
