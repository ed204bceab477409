// The rules file: its exact bytes, round trips, and damaged or foreign files.
#include "RuleTestSupport.h"

#include "rules/CopyActions.h"
#include "rules/FileSizeCondition.h"
#include "rules/MaskConditions.h"
#include "rules/RuleClassGUIDs.h"
#include "rules/RuleStream.h"

#include <gtest/gtest.h>

#include <string>

using namespace vorlin;
using namespace vorlin::test;

namespace {

// Builds expected file contents field by field.
class TBytes {
public:
    TBytes& Byte(int b) {
        FData += static_cast<char>(b);
        return *this;
    }
    TBytes& Int(int32_t v) {
        for (int i = 0; i < 4; ++i) Byte((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
        return *this;
    }
    TBytes& Text(const std::string& s) {
        Int(static_cast<int32_t>(s.size()));
        FData += s;
        return *this;
    }
    // A built-in GUID: {<first>-668A-11D4-B425-004005A1D6D9}.
    TBytes& BuiltIn(uint32_t first) {
        Int(static_cast<int32_t>(first));
        for (int b : {0x8A, 0x66, 0xD4, 0x11, 0xB4, 0x25, 0x00, 0x40, 0x05, 0xA1, 0xD6, 0xD9}) Byte(b);
        return *this;
    }
    const std::string& Str() const { return FData; }

private:
    std::string FData;
};

// The rule "*.gif above 10 KB is excluded", built through the object model.
void BuildGifRule(THTTPVorlinRules& rules) {
    THTTPVorlinRule& rule = rules.Add();
    rule.Name = "gif rule";
    rule.Enabled = true;
    auto& name = ConditionOf<TFileNameCondition>(rule);
    name.Active = true;
    name.Mode = THTTPVorlinCondition::cmAny;
    name.Masks = {"*.gif"};
    auto& size = ConditionOf<TFileSizeCondition>(rule);
    size.Active = true;
    size.GreaterEnabled = true;
    size.MinSize = 10;
    ActionOf<TExcludeAction>(rule).Active = true;
}

std::string Saved(const THTTPVorlinRules& rules) {
    TMemoryStream m;
    rules.SaveToStream(m);
    return m.ToString();
}

void LoadInto(THTTPVorlinRules& rules, const std::string& bytes) {
    TMemoryStream m;
    m.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    m.SetPosition(0);
    rules.LoadFromStream(m);
}

} // namespace

TEST(RuleStream, ExactLayoutOfARule) {
    THTTPVorlinRules rules;
    BuildGifRule(rules);
    TBytes expected;
    expected.Int(1).Int(5);
    for (uint32_t g : {0xBF963808u, 0xBF963800u, 0xBF963801u, 0xBF963802u, 0xBF963803u}) expected.BuiltIn(g);
    expected.Byte(1).Byte(0).Byte(1).Text("*.gif\r\n");           // file name: any of the masks
    expected.Byte(1).Byte(0).Byte(0).Int(10).Int(0).Byte(0).Byte(1);  // file size: greater than 10
    for (int i = 0; i < 3; ++i) expected.Byte(0).Byte(0).Byte(0).Text("");  // path, URL, content type
    expected.Int(4);
    for (uint32_t g : {0xBF963804u, 0xBF963805u, 0xBF963807u, 0xBF963806u}) expected.BuiltIn(g);
    expected.Byte(0).Byte(1).Byte(0).Text("").Byte(0).Text("");  // force, exclude, copy, copy keeping the path
    expected.Byte(0).Text("gif rule").Byte(1);
    EXPECT_EQ(Saved(rules), expected.Str());
}

TEST(RuleStream, RoundTripKeepsEveryFieldAndLoadingAppends) {
    THTTPVorlinRules rules;
    BuildGifRule(rules);
    THTTPVorlinRule& second = rules.Add();
    second.Name = "copy pdf";
    second.Mode = TFilterRule::rmAny;
    auto& url = ConditionOf<TURLCondition>(second);
    url.Active = url.Negate = true;
    url.Masks = {"*.pdf", "*.PDF", ""};
    auto& copy = ActionOf<TCopyToDirStructureKeepAction>(second);
    copy.Active = true;
    copy.Directory = "/home/user/pdf files";
    const std::string bytes = Saved(rules);

    THTTPVorlinRules loaded;
    LoadInto(loaded, bytes);
    LoadInto(loaded, bytes);
    ASSERT_EQ(loaded.Count(), 4);
    EXPECT_EQ(loaded.Rules(3).Name, "copy pdf");
    EXPECT_EQ(loaded.Rules(3).Index, 3);
    EXPECT_FALSE(loaded.Rules(3).Enabled);
    EXPECT_EQ(loaded.Rules(3).Mode, TFilterRule::rmAny);
    auto& loadedURL = ConditionOf<TURLCondition>(loaded.Rules(1));
    EXPECT_TRUE(loadedURL.Negate);
    EXPECT_EQ(loadedURL.Masks, (std::vector<std::string>{"*.pdf", "*.PDF", ""}));
    EXPECT_EQ(ActionOf<TCopyToDirStructureKeepAction>(loaded.Rules(1)).Directory, "/home/user/pdf files");
    EXPECT_EQ(ConditionOf<TFileSizeCondition>(loaded.Rules(2)).MinSize, 10);

    THTTPVorlinRules once;
    LoadInto(once, bytes);
    EXPECT_EQ(Saved(once), bytes);
}

TEST(RuleStream, ElementsTheStreamDoesNotNameKeepTheirDefaults) {
    // One rule naming only the URL and then the file-name condition, and no actions.
    TBytes bytes;
    bytes.Int(1).Int(2).BuiltIn(0xBF963802).BuiltIn(0xBF963808);
    bytes.Byte(1).Byte(0).Byte(1).Text("http://*\r\n");
    bytes.Byte(1).Byte(1).Byte(0).Text("a.html\r\nb.html\r\n");
    bytes.Int(0).Byte(1).Text("short").Byte(1);
    THTTPVorlinRules rules;
    LoadInto(rules, bytes.Str());
    ASSERT_EQ(rules.Count(), 1);
    THTTPVorlinRule& rule = rules.Rules(0);
    EXPECT_EQ(ConditionOf<TURLCondition>(rule).Masks, std::vector<std::string>{"http://*"});
    auto& name = ConditionOf<TFileNameCondition>(rule);
    EXPECT_TRUE(name.Negate);
    EXPECT_EQ(name.Masks, (std::vector<std::string>{"a.html", "b.html"}));
    EXPECT_FALSE(ConditionOf<TFileSizeCondition>(rule).Active);
    EXPECT_EQ(rule.ActionCount(), 4);
    EXPECT_EQ(rule.Name, "short");
}

TEST(RuleStream, AShortFileKeepsTheRulesReadSoFar) {
    THTTPVorlinRules full;
    BuildGifRule(full);
    BuildGifRule(full);
    std::string bytes = Saved(full);
    THTTPVorlinRules rules;
    EXPECT_THROW(LoadInto(rules, bytes.substr(0, bytes.size() - 3)), EStreamError);
    // The second rule was cut inside its name: it stays, but switched off.
    ASSERT_EQ(rules.Count(), 2);
    EXPECT_TRUE(rules.Rules(0).Enabled);
    EXPECT_FALSE(rules.Rules(1).Enabled);
}

TEST(RuleStream, LengthsBeyondTheDataAreRefusedBeforeAllocating) {
    TBytes bytes;
    bytes.Int(1).Int(0).Int(0).Byte(0).Int(0x7FFFFFF0);
    THTTPVorlinRules rules;
    EXPECT_THROW(LoadInto(rules, bytes.Str()), EStreamError);
    TBytes negative;
    negative.Int(1).Int(0).Int(0).Byte(0).Int(-5);
    EXPECT_THROW(LoadInto(rules, negative.Str()), EStreamError);
}

namespace {

// A condition of a component that may not be loaded next time.
class TForeignCondition : public THTTPVorlinCondition {
public:
    vorlin_sdk::GUID GetClassGUID() const override { return {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}}; }
    TPhaseSet GetPhases() const override { return PhaseSet({0}); }
    bool Evaluate() override { return true; }
    std::string GetTemplateText() const override { return "foreign"; }
    std::string GetDescription() const override { return "foreign"; }
    int GetLinkStart() const override { return 0; }
    int GetLinkLength() const override { return 0; }
    bool Edit() override { return false; }
};

// Restores the built-in registrations however a test ends.
struct TBuiltInsOnly {
    ~TBuiltInsOnly() {
        ClearRegisteredClasses();
        RegisterHTTPVorlinElements();
    }
};

} // namespace

TEST(RuleStream, AnUnknownElementRefusesTheWholeFile) {
    TBuiltInsOnly restore;
    RegisterConditionClass(&NewCondition<TForeignCondition>);
    std::string bytes;
    {
        THTTPVorlinRules rules;
        BuildGifRule(rules);
        BuildGifRule(rules);
        ASSERT_EQ(rules.Rules(0).ConditionCount(), 6);
        bytes = Saved(rules);
    }
    ClearRegisteredClasses();
    RegisterHTTPVorlinElements();
    THTTPVorlinRules rules;
    BuildGifRule(rules);
    try {
        LoadInto(rules, bytes);
        FAIL() << "loaded a file with an unknown element";
    } catch (const EUnknownRuleElement& e) {
        EXPECT_NE(e.Message().find("{12345678-0001-0002-0102-030405060708}"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(rules.Count(), 1);  // the rule it held before stays, nothing was added
}

TEST(RuleStream, EveryRuleHoldsTheBuiltInsInTheirOrder) {
    RegisterHTTPVorlinElements();  // a second registration changes nothing
    THTTPVorlinRules rules;
    THTTPVorlinRule& rule = rules.Add();
    const vorlin_sdk::GUID conditions[] = {GUID_FileNameCondition, GUID_FileSizeCondition, GUID_FilePathCondition,
                                           GUID_URLCondition, GUID_MimeTypeCondition};
    const vorlin_sdk::GUID actions[] = {GUID_ForceDownloadAction, GUID_ExcludeAction, GUID_CopyToDirAction,
                                        GUID_CopyToDirStructureKeepAction};
    ASSERT_EQ(rule.ConditionCount(), 5);
    ASSERT_EQ(rule.ActionCount(), 4);
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(rule.Conditions(i).GetClassGUID() == conditions[i]) << i;
        EXPECT_FALSE(rule.Conditions(i).Active);
    }
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(rule.Actions(i).GetClassGUID() == actions[i]) << i;
    EXPECT_EQ(GUIDToString(GUID_FileNameCondition), "{BF963808-668A-11D4-B425-004005A1D6D9}");
    EXPECT_THROW(rule.Conditions(5), Exception);
}

TEST(RuleStream, ListIndexingAndFiles) {
    TScratchDir dir;
    THTTPVorlinRules rules;
    BuildGifRule(rules);
    rules.Add().Name = "b";
    rules.Add().Name = "c";
    rules.Delete(0);
    EXPECT_EQ(rules.Rules(1).Name, "c");
    EXPECT_EQ(rules.Rules(1).Index, 1);
    EXPECT_THROW(rules.Rules(2), Exception);
    EXPECT_THROW(rules.Delete(-1), Exception);

    const std::string file = dir.Path() + "p.prj.rules";
    rules.SaveToFile(file);
    THTTPVorlinRules loaded;
    loaded.LoadFromFile(file);
    EXPECT_EQ(Saved(loaded), Saved(rules));
    EXPECT_EQ(ListDirectory(dir.Path()).size(), 1u);  // no temporary file left behind
    EXPECT_THROW(loaded.LoadFromFile(dir.Path() + "missing.rules"), EStreamError);
}
