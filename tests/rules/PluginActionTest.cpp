// Actions contributed by plugins: forwarding, failure results, their data
// in the rules file, and references.
#include "RuleTestSupport.h"

#include "rules/MaskConditions.h"
#include "rules/PluginAction.h"
#include "rules/PluginStrings.h"
#include "rules/RuleStream.h"

#include <gtest/gtest.h>

using namespace vorlin;
using namespace vorlin::test;
using namespace vorlin_sdk;

namespace {

constexpr GUID kActionGUID = {0xA1B2C3D4, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};

// One action of the test plugin: it counts executions and keeps one setting,
// a 32-bit number, in its stream data.
class TCountingAction final : public IFilterActionInterface {
public:
    int Refs = 1;
    int Executed = 0;
    int32_t Setting = 0;
    HRESULT FailWith = S_OK;  // answered by Execute
    int* LiveActions;

    explicit TCountingAction(int* live) : LiveActions(live) { ++*LiveActions; }
    virtual ~TCountingAction() = default;
    HRESULT QueryInterface(const GUID&, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    uint32_t AddRef() override { return static_cast<uint32_t>(++Refs); }
    uint32_t Release() override {
        int n = --Refs;
        if (n == 0) {
            --*LiveActions;
            delete this;
        }
        return static_cast<uint32_t>(n);
    }
    HRESULT Execute() override {
        ++Executed;
        return FailWith;
    }
    HRESULT Edit() override { return S_FALSE; }
    HRESULT GetPhases(int32_t* phases) override {
        *phases = 1 << 2;
        return S_OK;
    }
    HRESULT GetTemplateText(BSTR* text) override {
        *text = NewBstr("Tell the \xC3\xBC" "ber-plugin");
        return S_OK;
    }
    HRESULT GetDescription(BSTR* text) override {
        *text = NewBstr("Tell the plugin " + std::to_string(Setting));
        return S_OK;
    }
    HRESULT GetLinkStart(int32_t* start) override {
        *start = 17;
        return S_OK;
    }
    HRESULT GetLinkLength(int32_t* length) override {
        *length = 99;  // longer than the sentence: the host must cope
        return S_OK;
    }
    HRESULT GetClassGUID(GUID* guid) override {
        *guid = kActionGUID;
        return S_OK;
    }
    HRESULT LoadFromStream(IStream* stream) override {
        uint32_t read = 0;
        return stream->Read(&Setting, 4, &read) == S_OK && read == 4 ? S_OK : E_FAIL;
    }
    HRESULT SaveToStream(IStream* stream) override { return stream->Write(&Setting, 4, nullptr); }
};

class TTestActionPlugin : public IFilterActionPluginInterface {
public:
    int Refs = 1;
    int LiveActions = 0;
    TCountingAction* Last = nullptr;
    HRESULT QueryInterface(const GUID&, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    uint32_t AddRef() override { return static_cast<uint32_t>(++Refs); }
    uint32_t Release() override { return static_cast<uint32_t>(--Refs); }
    HRESULT GetCapabilities(uint16_t* flags) override {
        *flags = 0;
        return S_OK;
    }
    HRESULT GetName(BSTR* name) override {
        *name = NewBstr("test");
        return S_OK;
    }
    HRESULT Reserved5() override { return E_NOTIMPL; }
    HRESULT GetSettings(IPluginSettingsInterface**) override { return E_NOTIMPL; }
    HRESULT SetSettings(IPluginSettingsInterface*) override { return E_NOTIMPL; }
    HRESULT Reserved8() override { return E_NOTIMPL; }
    HRESULT CreateSettings(IPluginSettingsInterface**) override { return E_NOTIMPL; }
    HRESULT GetActionCount(int32_t* count) override {
        *count = 1;
        return S_OK;
    }
    HRESULT GetAction(int32_t, IFilterActionInterface** action) override {
        *action = Last = new TCountingAction(&LiveActions);
        return S_OK;
    }
};

class PluginActions : public ::testing::Test, public TLinkFixture {
protected:
    TTestActionPlugin Plugin;
    void SetUp() override { RegisterFilterActionPlugin(&Plugin); }
    void TearDown() override {
        ClearFilterActionPlugins();
        EXPECT_EQ(Plugin.Refs, 1);
        EXPECT_EQ(Plugin.LiveActions, 0);
    }
};

} // namespace

TEST_F(PluginActions, EveryRuleGetsThePluginsActionsAfterTheBuiltIns) {
    EXPECT_EQ(Plugin.Refs, 2);  // the registry keeps one
    EXPECT_EQ(FilterActionPluginCount(), 1);
    THTTPVorlinRules rules;
    THTTPVorlinRule& rule = rules.Add();
    TCountingAction* mine = Plugin.Last;
    ASSERT_EQ(rule.ActionCount(), 5);
    auto& action = dynamic_cast<TPluginAction&>(rule.Actions(4));
    EXPECT_TRUE(action.GetClassGUID() == kActionGUID);
    EXPECT_EQ(action.GetTemplateText(), "Tell the \xC3\xBC" "ber-plugin");
    EXPECT_FALSE(action.Edit());  // S_FALSE: cancelled
    EXPECT_EQ(rules.Add().ActionCount(), 5);
    EXPECT_EQ(Plugin.LiveActions, 2);

    // It runs in the phases it names.
    action.Active = true;
    auto& url = ConditionOf<TURLCondition>(rule);
    url.Active = true;
    url.Masks = {"*"};
    rule.Enabled = true;
    rules.RunPhase(Link, Project, 1);
    EXPECT_EQ(mine->Executed, 0);
    rules.RunPhase(Link, Project, 2);
    EXPECT_EQ(mine->Executed, 1);
    // The description clamps the plugin's link to its sentence.
    TRuleDescription d = rule.Description();
    ASSERT_FALSE(d.Links.empty());
    EXPECT_EQ(d.Text.substr(d.Links.back().Start, d.Links.back().Length), "0");
}

TEST_F(PluginActions, FailureResultsRaiseInTheHost) {
    THTTPVorlinRules rules;
    THTTPVorlinRule& rule = rules.Add();
    auto& action = dynamic_cast<TPluginAction&>(rule.Actions(4));
    TCountingAction* plugin = Plugin.Last;
    plugin->FailWith = E_FAIL;
    try {
        action.Execute();
        FAIL() << "a failure result passed";
    } catch (const EPluginActionError& e) {
        EXPECT_EQ(e.Message(), "Plugin action Execute failed (error 0x80004005)");
    }
    EXPECT_EQ(plugin->Executed, 1);
}

TEST_F(PluginActions, TheirDataTravelsInTheRulesFile) {
    THTTPVorlinRules rules;
    THTTPVorlinRule& rule = rules.Add();
    auto& action = dynamic_cast<TPluginAction&>(rule.Actions(4));
    action.Active = true;
    Plugin.Last->Setting = 4711;
    TMemoryStream saved;
    rules.SaveToStream(saved);
    // The host's Active byte, then the plugin's four bytes, end the action data.
    const std::string bytes = saved.ToString();
    const size_t actionData = bytes.size() - (1 + 4 + rule.Name.size() + 1) - 5;
    EXPECT_EQ(bytes.substr(actionData), std::string("\x01\x67\x12\0\0", 5) + std::string(1, '\0') +
                                            std::string(4, '\0') + std::string(1, '\0'));

    saved.SetPosition(0);
    THTTPVorlinRules loaded;
    loaded.LoadFromStream(saved);
    auto& loadedAction = dynamic_cast<TPluginAction&>(loaded.Rules(0).Actions(4));
    EXPECT_TRUE(loadedAction.Active);
    EXPECT_EQ(loadedAction.GetDescription(), "Tell the plugin 4711");

    // Copying a rule copies the plugin's settings through its stream.
    THTTPVorlinRule& copy = loaded.Add();
    copy.Assign(rule);
    EXPECT_EQ(copy.Actions(4).GetDescription(), "Tell the plugin 4711");

    // Without the plugin the file can't be read back, and says why.
    ClearFilterActionPlugins();
    saved.SetPosition(0);
    THTTPVorlinRules without;
    EXPECT_THROW(without.LoadFromStream(saved), EUnknownRuleElement);
    RegisterFilterActionPlugin(&Plugin);
}
