// The test plugin: implements every plugin interface and slot, logs every
// call the program makes, and answers as its configuration says, including
// failure results, strings that are not valid UTF-16 and null out values.
// Built against the SDK alone; used by the tests, never installed.
//
// Extra exports for the tests (C linkage):
//   TestkitConfigure(text)  "key=value" lines, see TConfig
//   TestkitCallLog()        the calls so far, one line each
//   TestkitClearLog()
//   TestkitLiveObjects()    objects of this library not yet freed
#include "VorlinPluginHelpers.h"

#include <atomic>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace vorlin_sdk;

namespace {

struct TConfig {
    std::string Name = "testkit";
    uint16_t Caps = 15;
    bool InitResult = true;
    std::set<std::string> Fail;      // methods that answer E_FAIL
    std::set<std::string> NullOut;   // methods that answer S_OK with a null out value
    bool BadStrings = false;         // returned strings hold unpaired surrogates
    bool Active = true;              // of new settings objects
    bool Configurable = true;
    bool ConfigureOk = true;
    bool Force = false, Outside = true, Before = true, After = true, Take = false;
    bool CanParse = false, Handled = false;
    std::vector<std::string> AddLinks;  // URLs reported through the add-link callback
    int32_t AddLinkType = LINKTYPE_SOURCE;
    int Actions = 0;                 // rule actions offered (registered at InitPlugin)
    bool Probe = false;              // read every project and link slot and log it
    bool AppCalls = false;           // call the application object at InitPlugin
    bool SetOnStart = false;         // DownloadStarted writes ProjectSize -1 and a URL
    bool AskForced = false;          // ForceLink reads the link's forced state (slot 5)
    bool Quiet = false;              // keep no call log (benchmarks)
    bool Interest = false;           // offer IHTMLParserInterest with the three lists below
    std::string TagNames, TagWords, TextsIn;
    std::string TagAttribute;        // asked of every tag handed to HandleTag
};

TConfig g_config;
std::string g_log;
std::atomic<int> g_live{0};
IApplicationInterface* g_application = nullptr;
int g_saveCount = 0;

void Log(const std::string& line) {
    if (!g_config.Quiet) g_log += g_config.Name + ": " + line + "\n";
}

bool Fails(const char* method) { return g_config.Fail.count(method) != 0; }
bool NullOut(const char* method) { return g_config.NullOut.count(method) != 0; }

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream s(text);
    std::string item;
    while (std::getline(s, item, ','))
        if (!item.empty()) items.push_back(item);
    return items;
}

// A string the plugin hands out: valid UTF-16, or in "bad strings" mode one
// with an unpaired surrogate in the middle.
BSTR OutString(const std::string& text) {
    std::u16string w = VorlinUtf8ToUtf16(text);
    if (g_config.BadStrings) w.insert(w.size() / 2, 1, static_cast<char16_t>(0xDC00));
    return VorlinAllocStringLen(w.data(), static_cast<uint32_t>(w.size()));
}

// Answers a method: E_FAIL when configured to fail, else S_OK.
#define TESTKIT_ENTER(method)              \
    Log(method);                           \
    if (Fails(method)) return E_FAIL

class TLiveCount {
protected:
    TLiveCount() { ++g_live; }
    ~TLiveCount() { --g_live; }
};

std::string Utf8(const OLECHAR* s) { return VorlinStringToUtf8(s); }

// --- Settings ----------------------------------------------------------------

class TTestkitSettings final : public TRefCounted<IPluginSettingsInterface>, TLiveCount {
public:
    bool Active = g_config.Active;

    HRESULT LoadFromStream(IStream* stream) override {
        TESTKIT_ENTER("LoadFromStream");
        char data[3] = {};
        uint32_t n = 0;
        stream->Read(data, sizeof data, &n);
        if (n == 3 && data[0] == 'T' && data[1] == 'K') Active = data[2] != 0;
        Log("LoadFromStream read " + std::to_string(n) + (Active ? " active" : " inactive"));
        return S_OK;
    }
    HRESULT CanConfigure(VBOOL* configurable) override {
        TESTKIT_ENTER("CanConfigure");
        *configurable = g_config.Configurable;
        return S_OK;
    }
    HRESULT Configure(void* parentWindow, VBOOL* ok) override {
        TESTKIT_ENTER("Configure");
        Log(std::string("Configure parent ") + (parentWindow ? "set" : "null"));
        // The "user" flips the active flag in the dialog.
        if (g_config.ConfigureOk) Active = !Active;
        *ok = g_config.ConfigureOk;
        return S_OK;
    }
    HRESULT SaveToStream(IStream* stream) override {
        TESTKIT_ENTER("SaveToStream");
        const char data[3] = {'T', 'K', static_cast<char>(Active ? 1 : 0)};
        return stream->Write(data, sizeof data, nullptr);
    }
    HRESULT EndConfigure() override {
        TESTKIT_ENTER("EndConfigure");
        return S_OK;
    }
    HRESULT GetActive(VBOOL* active) override {
        TESTKIT_ENTER("GetActive");
        *active = Active;
        return S_OK;
    }
    HRESULT SetActive(VBOOL active) override {
        TESTKIT_ENTER("SetActive");
        Log(std::string("SetActive ") + (active ? "1" : "0"));
        Active = active != 0;
        return S_OK;
    }
};

// --- Rule actions --------------------------------------------------------------

class TTestkitAction final : public TRefCounted<IFilterActionInterface>, TLiveCount {
public:
    explicit TTestkitAction(int index) : FIndex(index) {}
    HRESULT Execute() override {
        TESTKIT_ENTER("Execute");
        Log("Execute action " + std::to_string(FIndex) + " value " + std::to_string(FValue));
        return S_OK;
    }
    HRESULT Edit() override {
        TESTKIT_ENTER("Edit");
        ++FValue;
        return S_OK;
    }
    HRESULT GetPhases(int32_t* phases) override {
        TESTKIT_ENTER("GetPhases");
        *phases = 4;  // after the download
        return S_OK;
    }
    HRESULT GetTemplateText(BSTR* text) override {
        TESTKIT_ENTER("GetTemplateText");
        *text = OutString("run the testkit action " + std::to_string(FIndex));
        return S_OK;
    }
    HRESULT GetDescription(BSTR* text) override {
        TESTKIT_ENTER("GetDescription");
        *text = OutString("Testkit action " + std::to_string(FIndex));
        return S_OK;
    }
    HRESULT GetLinkStart(int32_t* start) override {
        TESTKIT_ENTER("GetLinkStart");
        *start = 4;
        return S_OK;
    }
    HRESULT GetLinkLength(int32_t* length) override {
        TESTKIT_ENTER("GetLinkLength");
        *length = 7;
        return S_OK;
    }
    HRESULT GetClassGUID(GUID* guid) override {
        TESTKIT_ENTER("GetClassGUID");
        *guid = {0x7E57C170u + static_cast<uint32_t>(FIndex), 0x1, 0x2, {3, 4, 5, 6, 7, 8, 9, 10}};
        return S_OK;
    }
    HRESULT LoadFromStream(IStream* stream) override {
        TESTKIT_ENTER("ActionLoadFromStream");
        int32_t v = 0;
        uint32_t n = 0;
        stream->Read(&v, sizeof v, &n);
        if (n == sizeof v) FValue = v;
        return S_OK;
    }
    HRESULT SaveToStream(IStream* stream) override {
        TESTKIT_ENTER("ActionSaveToStream");
        return stream->Write(&FValue, sizeof FValue, nullptr);
    }

private:
    int FIndex;
    int32_t FValue = 0;
};

// --- Probing the program's objects ---------------------------------------------

template <typename T, typename O> std::string Number(O* object, HRESULT (O::*get)(T*)) {
    T v{};
    HRESULT hr = (object->*get)(&v);
    return Succeeded(hr) ? std::to_string(v) : "error";
}

template <typename O> std::string Text(O* object, HRESULT (O::*get)(BSTR*)) {
    TVorlinString s;
    HRESULT hr = (object->*get)(s.Out());
    return Succeeded(hr) ? s.Utf8() : "error";
}

void ProbeProject(IDownLoadProject* p) {
    Log("project StartServer=" + Text(p, &IDownLoadProject::GetStartServer) +
        " StartURL=" + Text(p, &IDownLoadProject::GetStartURL) +
        " TargetDir=" + Text(p, &IDownLoadProject::GetTargetDir) +
        " URL=" + Text(p, &IDownLoadProject::GetURL) +
        " ProjectSize=" + Number(p, &IDownLoadProject::GetProjectSize) +
        " RunSize=" + Number(p, &IDownLoadProject::GetRunSize) +
        " AverageCPS=" + Number(p, &IDownLoadProject::GetAverageCPS) +
        " PeekCPS=" + Number(p, &IDownLoadProject::GetPeekCPS) +
        " ProjectMode=" + Number(p, &IDownLoadProject::GetProjectMode) +
        " ScopeMode=" + Number(p, &IDownLoadProject::GetScopeMode) +
        " MaxLevelCount=" + Number(p, &IDownLoadProject::GetMaxLevelCount) +
        " FollowExternalImages=" + Number(p, &IDownLoadProject::GetFollowExternalImages) +
        " RewritesLinks=" + std::to_string(p->RewritesLinks()));
    TVorlinString replacement;
    p->InvalidCharReplacement(replacement.Out());
    Log("project InvalidCharReplacement=" + replacement.Utf8());
}

void ProbeLink(IDownLoadLink* l) {
    Log("link Kind=" + Number(l, &IDownLoadLink::GetKind) +
        " State=" + Number(l, &IDownLoadLink::GetState) +
        " LinkType=" + Number(l, &IDownLoadLink::GetLinkType) +
        " Slot=" + Number(l, &IDownLoadLink::GetSlot) +
        " Size=" + Number(l, &IDownLoadLink::GetSize) +
        " Level=" + Number(l, &IDownLoadLink::GetLevel) +
        " ExternalLevel=" + Number(l, &IDownLoadLink::GetExternalLevel) +
        " Server=" + Text(l, &IDownLoadLink::GetServer) +
        " Path=" + Text(l, &IDownLoadLink::GetPath) +
        " LocalDir=" + Text(l, &IDownLoadLink::GetLocalDir) +
        " LocalFileName=" + Text(l, &IDownLoadLink::GetLocalFileName) +
        " MimeType=" + Text(l, &IDownLoadLink::GetMimeType) +
        " TagName=" + Text(l, &IDownLoadLink::GetTagName));
}

// --- The plugin object ---------------------------------------------------------

class TTestkitPlugin final : public TRefCounted<IParserPluginInterface, IFilterPluginInterface,
                                                IDownloadPluginInterface, IHTMLParserPluginInterface,
                                                IFilterActionPluginInterface, IHTMLParserInterest>,
                             TLiveCount {
public:
    ~TTestkitPlugin() override {
        if (FSettings) FSettings->Release();
    }

    HRESULT QueryInterface(const GUID& iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        Log("QueryInterface");
        if (Fails("QueryInterface")) return E_NOINTERFACE;
        if (NullOut("QueryInterface")) return S_OK;
        if (iid == IID_IUnknown || iid == IID_IBasicPluginInterFace || iid == IID_IParserPluginInterface)
            *object = static_cast<IParserPluginInterface*>(this);
        else if (iid == IID_IFilterPluginInterface)
            *object = static_cast<IFilterPluginInterface*>(this);
        else if (iid == IID_IDownloadPluginInterface)
            *object = static_cast<IDownloadPluginInterface*>(this);
        else if (iid == IID_IHTMLParserPluginInterface)
            *object = static_cast<IHTMLParserPluginInterface*>(this);
        else if (iid == IID_IHTMLParserInterest && g_config.Interest)
            *object = static_cast<IHTMLParserInterest*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

    // IBasicPluginInterFace
    HRESULT GetCapabilities(uint16_t* flags) override {
        TESTKIT_ENTER("GetCapabilities");
        *flags = g_config.Caps;
        return S_OK;
    }
    HRESULT GetName(BSTR* name) override {
        TESTKIT_ENTER("GetName");
        *name = NullOut("GetName") ? nullptr : OutString(g_config.Name);
        return S_OK;
    }
    HRESULT Reserved5() override { return E_NOTIMPL; }
    HRESULT GetSettings(IPluginSettingsInterface** settings) override {
        TESTKIT_ENTER("GetSettings");
        *settings = NullOut("GetSettings") ? nullptr : FSettings;
        if (*settings) (*settings)->AddRef();
        return S_OK;
    }
    HRESULT SetSettings(IPluginSettingsInterface* settings) override {
        TESTKIT_ENTER("SetSettings");
        Log(std::string("SetSettings ") + (settings ? "object" : "none"));
        if (settings) settings->AddRef();
        if (FSettings) FSettings->Release();
        FSettings = settings;
        return S_OK;
    }
    HRESULT Reserved8() override { return E_NOTIMPL; }
    HRESULT CreateSettings(IPluginSettingsInterface** settings) override {
        TESTKIT_ENTER("CreateSettings");
        *settings = NullOut("CreateSettings") ? nullptr : new TTestkitSettings();
        return S_OK;
    }

    // IParserPluginInterface (and the shared add-link slot of the HTML hooks)
    HRESULT Reserved10() override { return E_NOTIMPL; }
    HRESULT SetAddLinkCallback(TAddLinkCallback callback, void* context) override {
        TESTKIT_ENTER("SetAddLinkCallback");
        FCallback = callback;
        FContext = context;
        return S_OK;
    }
    HRESULT CanParse(IDownLoadProject*, IDownLoadLink* link, VBOOL* claims) override {
        TESTKIT_ENTER("CanParse");
        if (g_config.Probe) ProbeLink(link);
        *claims = g_config.CanParse;
        return S_OK;
    }
    HRESULT Parse(IDownLoadProject*, IDownLoadLink*, IStream* stream, const char* localFileName) override {
        TESTKIT_ENTER("Parse");
        STATSTG_SIZE st{};
        stream->Stat(&st, 0);
        Log("Parse " + std::string(localFileName ? localFileName : "(null)") + " " + std::to_string(st.Size));
        return AddConfiguredLinks();
    }

    // IFilterPluginInterface
    HRESULT ForceLink(IDownLoadProject*, IDownLoadLink* link, VBOOL* force) override {
        TESTKIT_ENTER("ForceLink");
        if (g_config.AskForced) {
            VBOOL inner = 0;
            link->GetForced(&inner);
            Log(std::string("ForceLink inner ") + (inner ? "1" : "0"));
        }
        *force = g_config.Force;
        return S_OK;
    }
    HRESULT ConfirmOutside(IDownLoadProject*, IDownLoadLink*, VBOOL* outside) override {
        TESTKIT_ENTER("ConfirmOutside");
        *outside = g_config.Outside;
        return S_OK;
    }
    HRESULT FilterAfterHeader(IDownLoadProject*, IDownLoadLink*, VBOOL* accept) override {
        TESTKIT_ENTER("FilterAfterHeader");
        *accept = g_config.After;
        return S_OK;
    }
    HRESULT FilterBeforeRequest(IDownLoadProject*, IDownLoadLink*, VBOOL* accept) override {
        TESTKIT_ENTER("FilterBeforeRequest");
        *accept = g_config.Before;
        return S_OK;
    }

    // IDownloadPluginInterface
    HRESULT TakeLink(IDownLoadProject*, IDownLoadLink* link, VBOOL* taken) override {
        TESTKIT_ENTER("TakeLink");
        if (g_config.Probe) ProbeLink(link);
        *taken = g_config.Take;
        return S_OK;
    }
    HRESULT SaveData(IStream* stream) override {
        TESTKIT_ENTER("SaveData");
        std::string data = "data " + std::to_string(++g_saveCount);
        return stream->Write(data.data(), static_cast<uint32_t>(data.size()), nullptr);
    }
    HRESULT LoadData(IStream* stream) override {
        TESTKIT_ENTER("LoadData");
        char buffer[64];
        uint32_t n = 0;
        stream->Read(buffer, sizeof buffer, &n);
        Log("LoadData \"" + std::string(buffer, n) + "\"");
        return S_OK;
    }
    HRESULT ShowData() override {
        TESTKIT_ENTER("ShowData");
        return S_OK;
    }
    HRESULT DownloadStarted(IDownLoadProject* project) override {
        TESTKIT_ENTER("DownloadStarted");
        if (g_config.Probe) ProbeProject(project);
        if (g_config.SetOnStart) {
            project->SetProjectSize(-1);
            TVorlinString url("http://plugin.example/");
            project->SetURL(url.Get());
        }
        return S_OK;
    }
    HRESULT DownloadFinished(IDownLoadProject*) override {
        TESTKIT_ENTER("DownloadFinished");
        return S_OK;
    }

    // IHTMLParserPluginInterface
    HRESULT HandleTag(IDownLoadProject*, IDownLoadLink*, BSTR tagName, BSTR tagText, VBOOL* handled) override {
        TESTKIT_ENTER("HandleTag");
        Log("HandleTag " + Utf8(tagName) + " [" + Utf8(tagText) + "]");
        if (!g_config.TagAttribute.empty() && g_application) {
            TVorlinString name(g_config.TagAttribute.c_str()), value;
            int32_t position = -1;
            HRESULT hr = g_application->GetAttributeValue(tagText, name.Get(), &position, value.Out());
            Log("Attribute " + std::to_string(hr) + " " + std::to_string(position) + " [" + value.Utf8() + "]");
        }
        *handled = g_config.Handled;
        return AddConfiguredLinks();
    }
    HRESULT HandleText(IDownLoadProject*, IDownLoadLink*, BSTR text) override {
        TESTKIT_ENTER("HandleText");
        Log("HandleText [" + Utf8(text) + "]");
        return S_OK;
    }
    HRESULT Reserved12() override { return E_NOTIMPL; }

    // IHTMLParserInterest
    HRESULT GetInterest(BSTR* tagNames, BSTR* tagWords, BSTR* textsIn) override {
        TESTKIT_ENTER("GetInterest");
        *tagNames = OutString(g_config.TagNames);
        *tagWords = OutString(g_config.TagWords);
        *textsIn = OutString(g_config.TextsIn);
        return S_OK;
    }

    // IFilterActionPluginInterface
    HRESULT GetActionCount(int32_t* count) override {
        TESTKIT_ENTER("GetActionCount");
        *count = g_config.Actions;
        return S_OK;
    }
    HRESULT GetAction(int32_t index, IFilterActionInterface** action) override {
        TESTKIT_ENTER("GetAction");
        *action = NullOut("GetAction") ? nullptr : new TTestkitAction(index);
        return S_OK;
    }

private:
    HRESULT AddConfiguredLinks() {
        for (const std::string& url : g_config.AddLinks) {
            if (!FCallback) return E_FAIL;
            std::u16string w = VorlinUtf8ToUtf16(url);
            IDownLoadLink* link = nullptr;
            HRESULT hr = FCallback(FContext, w.c_str(), g_config.AddLinkType, NullOut("AddLink") ? nullptr : &link);
            TComRef<IDownLoadLink> added(link);
            Log("AddLink " + url + " -> " + (Succeeded(hr) ? "ok" : "failed") +
                (added ? " " + Text(added.Get(), &IDownLoadLink::GetPath) : ""));
        }
        return S_OK;
    }

    IPluginSettingsInterface* FSettings = nullptr;
    TAddLinkCallback FCallback = nullptr;
    void* FContext = nullptr;
};

[[maybe_unused]] void CallApplication(IApplicationInterface* app) {
    TVorlinString base("http://h/a/b.html"), ref("../c d.html"), result;
    app->ResolveURL(base.Get(), ref.Get(), result.Out());
    Log("ResolveURL " + result.Utf8());
    TVorlinString text("a b"), encoded;
    app->EncodeURL(text.Get(), encoded.Out());
    Log("EncodeURL " + encoded.Utf8());
    TVorlinString escaped("a%20b"), decoded;
    app->HTTPDecode(escaped.Get(), decoded.Out());
    Log("HTTPDecode " + decoded.Utf8());
    TVorlinString broken("%zz"), none;
    Log(std::string("HTTPDecode of a bad escape ") +
        (Failed(app->HTTPDecode(broken.Get(), none.Out())) ? "failed" : "succeeded"));
    TVorlinString tag("img src=\"x.gif\" alt=y"), name("SRC"), value;
    int32_t position = 0;
    HRESULT hr = app->GetAttributeValue(tag.Get(), name.Get(), &position, value.Out());
    Log("GetAttributeValue " + std::to_string(hr) + " " + std::to_string(position) + " " + value.Utf8());
    Log("Reserved7 " + std::to_string(app->Reserved7(nullptr, nullptr, nullptr, 1, 2, 3)));
}

TTestkitPlugin* g_plugin = nullptr;

bool ParseFlag(const std::string& v) { return v == "1" || v == "true"; }

} // namespace

extern "C" {

__attribute__((visibility("default"))) void TestkitConfigure(const char* text) {
    g_config = TConfig();
    std::stringstream s(text ? text : "");
    std::string line;
    while (std::getline(s, line)) {
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), v = line.substr(eq + 1);
        if (key == "name") g_config.Name = v;
        else if (key == "caps") g_config.Caps = static_cast<uint16_t>(std::stoi(v));
        else if (key == "init") g_config.InitResult = ParseFlag(v);
        else if (key == "fail") for (auto& m : SplitList(v)) g_config.Fail.insert(m);
        else if (key == "nullout") for (auto& m : SplitList(v)) g_config.NullOut.insert(m);
        else if (key == "badstrings") g_config.BadStrings = ParseFlag(v);
        else if (key == "active") g_config.Active = ParseFlag(v);
        else if (key == "configurable") g_config.Configurable = ParseFlag(v);
        else if (key == "configureok") g_config.ConfigureOk = ParseFlag(v);
        else if (key == "force") g_config.Force = ParseFlag(v);
        else if (key == "outside") g_config.Outside = ParseFlag(v);
        else if (key == "before") g_config.Before = ParseFlag(v);
        else if (key == "after") g_config.After = ParseFlag(v);
        else if (key == "take") g_config.Take = ParseFlag(v);
        else if (key == "canparse") g_config.CanParse = ParseFlag(v);
        else if (key == "handled") g_config.Handled = ParseFlag(v);
        else if (key == "addlinks") g_config.AddLinks = SplitList(v);
        else if (key == "addlinktype") g_config.AddLinkType = std::stoi(v);
        else if (key == "actions") g_config.Actions = std::stoi(v);
        else if (key == "probe") g_config.Probe = ParseFlag(v);
        else if (key == "appcalls") g_config.AppCalls = ParseFlag(v);
        else if (key == "setonstart") g_config.SetOnStart = ParseFlag(v);
        else if (key == "askforced") g_config.AskForced = ParseFlag(v);
        else if (key == "quiet") g_config.Quiet = ParseFlag(v);
        else if (key == "interest") g_config.Interest = ParseFlag(v);
        else if (key == "tagnames") g_config.TagNames = v;
        else if (key == "tagwords") g_config.TagWords = v;
        else if (key == "textsin") g_config.TextsIn = v;
        else if (key == "tagattribute") g_config.TagAttribute = v;
    }
}

__attribute__((visibility("default"))) const char* TestkitCallLog() { return g_log.c_str(); }
__attribute__((visibility("default"))) void TestkitClearLog() { g_log.clear(); }
__attribute__((visibility("default"))) int TestkitLiveObjects() { return g_live.load(); }

#ifndef TESTKIT_WITHOUT_INIT
__attribute__((visibility("default"))) VBOOL InitPlugin(IApplicationInterface* application) {
    Log("InitPlugin");
    g_application = application;
    if (application) application->AddRef();
    if (g_config.AppCalls && application) CallApplication(application);
    g_plugin = new TTestkitPlugin();
    if (g_config.Actions > 0 && application)
        application->RegisterActionProvider(static_cast<IFilterActionPluginInterface*>(g_plugin));
    return g_config.InitResult;
}
#endif

__attribute__((visibility("default"))) void GetPluginInterFace(IBasicPluginInterFace** plugin) {
    Log("GetPluginInterFace");
    if (!plugin) return;
    if (NullOut("GetPluginInterFace") || !g_plugin) {
        *plugin = nullptr;
        return;
    }
    // The program gets the reference that InitPlugin's new object carries.
    *plugin = static_cast<IParserPluginInterface*>(g_plugin);
    g_plugin = nullptr;
}

#ifndef TESTKIT_WITHOUT_DEINIT
__attribute__((visibility("default"))) void DeInitPlugin() {
    Log("DeInitPlugin");
    if (g_plugin) g_plugin->Release();  // never handed over
    g_plugin = nullptr;
    if (g_application) g_application->Release();
    g_application = nullptr;
}
#endif

} // extern "C"
