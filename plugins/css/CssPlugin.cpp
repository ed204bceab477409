// The style-sheet plugin. As a parser plugin it claims "text/css" documents,
// registers every url(...) and @import they name, and writes the stored
// file itself: with the references pointing at the local copies when the
// project rewrites links, byte for byte as received in mirror mode. As an
// HTML parser plugin it registers the url(...) references of STYLE bodies
// (text hook) and style="..." attributes (tag hook); it never claims a tag,
// so the page itself is written by the program as usual.
//
// Built against the plugin SDK alone.
#include "CssLocalLink.h"
#include "CssScanner.h"
#include "CssSettingsModule.h"
#include "VorlinPluginHelpers.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <new>
#include <set>
#include <string>

#include <fcntl.h>
#include <unistd.h>

using namespace vorlin_sdk;

namespace {

// Version 1 stored whether the plugin is on; 2 adds the inline-style option.
constexpr uint8_t cSettingsVersion = 2;
const char* const cPluginName = "css";

IApplicationInterface* g_application = nullptr;

// --- Settings -------------------------------------------------------------------

// Per project: whether the plugin is on (new projects have it on) and
// whether it follows the references of inline styles (on by default).
class TCssSettings final : public TRefCounted<IPluginSettingsInterface> {
public:
    // A version byte, the active byte and (version 2) the inline-style byte;
    // what an entry lacks keeps its default.
    HRESULT LoadFromStream(IStream* stream) override {
        if (!stream) return E_POINTER;
        uint8_t data[3] = {};
        uint32_t n = 0;
        if (Failed(stream->Read(data, sizeof data, &n))) return E_FAIL;
        if (n >= 2 && (data[0] == 1 || data[0] == 2)) FActive = data[1] != 0;
        if (n >= 3 && data[0] == 2) FInlineStyles = data[2] != 0;
        return S_OK;
    }
    // The dialog needs the desktop program; the command line can't show it.
    HRESULT CanConfigure(VBOOL* configurable) override {
        if (!configurable) return E_POINTER;
        *configurable = css_plugin::CanShowSettingsDialog() ? 1 : 0;
        return S_OK;
    }
    HRESULT Configure(void* parentWindow, VBOOL* ok) override {
        if (!ok) return E_POINTER;
        *ok = 0;
        try {
            css_plugin::TCssOptions options;
            options.InlineStyles = FInlineStyles;
            switch (css_plugin::ShowSettingsDialog(parentWindow, options)) {
            case css_plugin::TDialogResult::drUnavailable: return E_NOTIMPL;
            case css_plugin::TDialogResult::drFailed: return E_FAIL;
            case css_plugin::TDialogResult::drCancelled: return S_OK;
            case css_plugin::TDialogResult::drConfirmed: break;
            }
            FInlineStyles = options.InlineStyles;
            *ok = 1;
            return S_OK;
        } catch (...) {
            return E_FAIL;
        }
    }
    HRESULT SaveToStream(IStream* stream) override {
        if (!stream) return E_POINTER;
        const uint8_t data[3] = {cSettingsVersion, static_cast<uint8_t>(FActive ? 1 : 0),
                                 static_cast<uint8_t>(FInlineStyles ? 1 : 0)};
        return stream->Write(data, sizeof data, nullptr);
    }
    bool InlineStyles() const { return FInlineStyles; }
    HRESULT EndConfigure() override { return S_OK; }
    HRESULT GetActive(VBOOL* active) override {
        if (!active) return E_POINTER;
        *active = FActive;
        return S_OK;
    }
    HRESULT SetActive(VBOOL active) override {
        FActive = active != 0;
        return S_OK;
    }

private:
    std::atomic<bool> FActive{true};
    std::atomic<bool> FInlineStyles{true};
};

// --- Helpers on the program's objects ---------------------------------------------

std::string StringOf(IDownLoadLink* link, HRESULT (IDownLoadLink::*get)(BSTR*)) {
    TVorlinString s;
    if (!link || Failed((link->*get)(s.Out()))) return std::string();
    return s.Utf8();
}

std::string LowerTrimmed(std::string s) {
    size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
    s = a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string LocalPathOf(IDownLoadLink* link) {
    return StringOf(link, &IDownLoadLink::GetLocalDir) + StringOf(link, &IDownLoadLink::GetLocalFileName);
}

// Reads the whole stream from its start.
bool ReadAll(IStream* stream, std::string& out) {
    if (!stream || Failed(stream->Seek(0, STREAM_SEEK_SET, nullptr))) return false;
    char buffer[65536];
    for (;;) {
        uint32_t n = 0;
        HRESULT hr = stream->Read(buffer, sizeof buffer, &n);
        if (Failed(hr)) return false;
        out.append(buffer, n);
        if (n < sizeof buffer) return true;
    }
}

// The project's target directory, below which every stored file lies.
std::string TargetDirOf(IDownLoadProject* project) {
    TVorlinString dir;
    if (Failed(project->GetTargetDir(dir.Out()))) return std::string();
    return dir.Utf8();
}

// The file's directory lies below the target directory, also where the way
// there passes a symbolic link (a tree copied in from elsewhere may hold one
// that leads out of it).
bool DirectoryBelowTarget(const std::string& path, const std::string& targetDir) {
    if (targetDir.empty()) return false;
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::canonical(targetDir, ec);
    if (ec) return false;
    const std::filesystem::path dir = std::filesystem::canonical(std::filesystem::path(path).parent_path(), ec);
    if (ec) return false;
    return std::mismatch(target.begin(), target.end(), dir.begin(), dir.end()).first == target.end();
}

// Replaces the file through a temporary copy, so that a failed write leaves
// no half file behind. The copy is made new, never through a symbolic link
// of its name; the rename replaces a link at the file's name, not its target.
bool WriteFileAtomically(const std::string& path, const std::string& content) {
    const std::string temp = path + ".css-tmp";
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < content.size();) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = ::close(fd) == 0 && ok;
    std::error_code ec;
    if (ok) std::filesystem::rename(temp, path, ec);
    if (!ok || ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

// Whether a BSTR holds exactly the ASCII text.
bool WideEquals(const OLECHAR* wide, std::string_view ascii) {
    size_t n = wide ? VorlinStringLen(wide) : 0;
    if (n != ascii.size()) return false;
    for (size_t i = 0; i < n; ++i)
        if (wide[i] != static_cast<unsigned char>(ascii[i])) return false;
    return true;
}

bool WideStartsWith(const OLECHAR* wide, std::string_view ascii) {
    size_t n = wide ? VorlinStringLen(wide) : 0;
    if (n < ascii.size()) return false;
    for (size_t i = 0; i < ascii.size(); ++i)
        if (wide[i] != static_cast<unsigned char>(ascii[i])) return false;
    return true;
}

// Whether the tag's text names "style" in any letter case anywhere (the
// attribute reader then decides whether it is the attribute). Every tag of
// every page passes here: the rare "y" is looked for first, then the
// letters around it.
bool WideContainsStyle(const OLECHAR* wide) {
    static constexpr char cWord[] = "style";
    constexpr size_t cLength = sizeof cWord - 1;
    constexpr size_t cY = 2;  // where "y" stands in the word
    size_t n = wide ? VorlinStringLen(wide) : 0;
    if (n < cLength) return false;
    for (size_t at = cY; at + (cLength - cY) <= n; ++at) {
        // Only "y" and "Y" give "y" with the lower-case bit set.
        if ((wide[at] | 0x20) != u'y') continue;
        size_t j = 0;
        for (; j < cLength; ++j) {
            OLECHAR c = wide[at - cY + j];
            if (c >= u'A' && c <= u'Z') c = static_cast<OLECHAR>(c + (u'a' - u'A'));
            if (c != static_cast<OLECHAR>(cWord[j])) break;
        }
        if (j == cLength) return true;
    }
    return false;
}

// The fragment of a reference ("#..."), which the program keeps apart from
// the link's address.
std::string FragmentOf(const std::string& url) {
    size_t hash = url.find('#');
    return hash == std::string::npos ? std::string() : url.substr(hash);
}

// --- The plugin object ------------------------------------------------------------

class TCssPlugin final
    : public TRefCounted<IParserPluginInterface, IHTMLParserPluginInterface, IHTMLParserInterest> {
public:
    ~TCssPlugin() override {
        if (IPluginSettingsInterface* settings = FSettings.load()) settings->Release();
        if (FRetired) FRetired->Release();
    }

    HRESULT QueryInterface(const GUID& iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IBasicPluginInterFace || iid == IID_IParserPluginInterface)
            *object = static_cast<IParserPluginInterface*>(this);
        else if (iid == IID_IHTMLParserPluginInterface)
            *object = static_cast<IHTMLParserPluginInterface*>(this);
        else if (iid == IID_IHTMLParserInterest)
            *object = static_cast<IHTMLParserInterest*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

    HRESULT GetCapabilities(uint16_t* flags) override {
        if (!flags) return E_POINTER;
        *flags = PLUGIN_CAP_PARSER | PLUGIN_CAP_HTMLPARSER;
        return S_OK;
    }
    HRESULT GetName(BSTR* name) override {
        if (!name) return E_POINTER;
        *name = VorlinNewString(cPluginName);
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT Reserved5() override { return E_NOTIMPL; }
    // Asked before every hook call of every page: no lock. The settings a
    // SetSettings replaces are kept until the next one, so that a reader
    // that loaded the old pointer just before still finds it alive.
    HRESULT GetSettings(IPluginSettingsInterface** settings) override {
        if (!settings) return E_POINTER;
        *settings = FSettings.load(std::memory_order_acquire);
        if (*settings) (*settings)->AddRef();
        return S_OK;
    }
    HRESULT SetSettings(IPluginSettingsInterface* settings) override {
        std::lock_guard<std::mutex> lock(FLock);
        if (settings) settings->AddRef();
        if (FRetired) FRetired->Release();
        FRetired = FSettings.exchange(settings, std::memory_order_acq_rel);
        FCssSettings.store(dynamic_cast<TCssSettings*>(settings), std::memory_order_release);
        if (!settings) {
            FInStyle.clear();  // the download is over
            FAnyInStyle = false;
        }
        return S_OK;
    }
    HRESULT Reserved8() override { return E_NOTIMPL; }
    HRESULT CreateSettings(IPluginSettingsInterface** settings) override {
        if (!settings) return E_POINTER;
        *settings = new (std::nothrow) TCssSettings();
        return *settings ? S_OK : E_OUTOFMEMORY;
    }

    // The program sets the callback before every Parse and every hook.
    HRESULT Reserved10() override { return E_NOTIMPL; }
    HRESULT SetAddLinkCallback(TAddLinkCallback callback, void* context) override {
        FCallback = callback;
        FContext = context;
        return S_OK;
    }

    HRESULT CanParse(IDownLoadProject*, IDownLoadLink* link, VBOOL* claims) override {
        if (!claims) return E_POINTER;
        *claims = LowerTrimmed(StringOf(link, &IDownLoadLink::GetMimeType)) == "text/css";
        return S_OK;
    }

    HRESULT Parse(IDownLoadProject* project, IDownLoadLink* page, IStream* stream,
                  const char* localFileName) override {
        if (!project || !page || !stream || !localFileName || !*localFileName) return E_INVALIDARG;
        try {
            std::string text;
            if (!ReadAll(stream, text)) return E_FAIL;
            bool rewrite = project->RewritesLinks() != 0;
            std::string pageLocal = LocalPathOf(page);
            std::string out;
            size_t copied = 0;
            for (const css_plugin::TCssReference& ref : css_plugin::ScanCss(text)) {
                if (css_plugin::IsSelfContained(ref.Url)) continue;
                TComRef<IDownLoadLink> link = Register(ref);
                if (!rewrite || !link || !Rewritable(link.Get())) continue;
                out.append(text, copied, ref.ValueStart - copied);
                out += css_plugin::EscapeForCssUrl(
                           css_plugin::LocalRelativeReference(pageLocal, LocalPathOf(link.Get()))) +
                       FragmentOf(ref.Url);
                copied = ref.ValueStart + ref.ValueLength;
            }
            if (rewrite) out.append(text, copied, std::string::npos);
            if (!DirectoryBelowTarget(localFileName, TargetDirOf(project))) return E_FAIL;
            return WriteFileAtomically(localFileName, rewrite ? out : text) ? S_OK : E_FAIL;
        } catch (...) {
            return E_FAIL;
        }
    }

    // Of a page, the plugin needs what HandleTag and HandleText look at:
    // STYLE elements (their texts and the comments that wrap a style
    // sheet), HTML and BODY, which end a STYLE left open, and tags with a
    // style attribute. The program hands it nothing else.
    HRESULT GetInterest(BSTR* tagNames, BSTR* tagWords, BSTR* textsIn) override {
        if (!tagNames || !tagWords || !textsIn) return E_POINTER;
        *tagNames = VorlinNewString("STYLE HTML BODY !--*");
        *tagWords = VorlinNewString("style");
        *textsIn = VorlinNewString("STYLE");
        if (*tagNames && *tagWords && *textsIn) return S_OK;
        for (BSTR* s : {tagNames, tagWords, textsIn}) {
            VorlinFreeString(*s);
            *s = nullptr;
        }
        return E_OUTOFMEMORY;
    }

    // Called for every tag and text block of every page, so the common case
    // (a tag without a style attribute, text outside STYLE) is decided on the
    // program's own strings, without converting them or asking for the page.
    HRESULT HandleTag(IDownLoadProject*, IDownLoadLink* page, BSTR tagName, BSTR tagText,
                      VBOOL* handled) override {
        if (!handled) return E_POINTER;
        *handled = 0;  // the page is written by the program
        try {
            if (!InlineStylesFollowed()) return S_OK;
            if (WideEquals(tagName, "STYLE")) {
                SetInStyle(PageKey(page), !tagText || tagText[0] != u'/');
            } else if (WideEquals(tagName, "HTML") || WideEquals(tagName, "BODY")) {
                if (AnyInStyle()) SetInStyle(PageKey(page), false);  // a STYLE left open ends here at the latest
            } else if (WideStartsWith(tagName, "!--")) {
                // A comment inside STYLE wraps the style sheet itself.
                if (AnyInStyle() && InStyle(PageKey(page))) {
                    std::string text = VorlinStringToUtf8(tagText);
                    if (text.size() >= 5) RegisterAll(text.substr(3, text.size() - 5));
                }
            } else if (WideContainsStyle(tagText)) {
                RegisterAll(StyleAttribute(tagText));
            }
            return S_OK;
        } catch (...) {
            return E_FAIL;
        }
    }

    HRESULT HandleText(IDownLoadProject*, IDownLoadLink* page, BSTR text) override {
        try {
            if (!InlineStylesFollowed()) return S_OK;
            if (AnyInStyle() && InStyle(PageKey(page))) RegisterAll(VorlinStringToUtf8(text));
            return S_OK;
        } catch (...) {
            return E_FAIL;
        }
    }
    HRESULT Reserved12() override { return E_NOTIMPL; }

private:
    // The settings in force say to follow inline styles (the default
    // without settings). The settings a reader sees stay alive one change
    // longer (SetSettings), so no lock is needed.
    // Our own settings are known by their type once, when handed over.
    bool InlineStylesFollowed() const {
        const TCssSettings* settings = FCssSettings.load(std::memory_order_acquire);
        return !settings || settings->InlineStyles();
    }

    // Registers one reference of the page being parsed; the registered link
    // comes back, or null when the program refused it.
    TComRef<IDownLoadLink> Register(const css_plugin::TCssReference& ref) {
        TComRef<IDownLoadLink> link;
        if (!FCallback) return link;
        std::u16string url = VorlinUtf8ToUtf16(ref.Url);
        int32_t type = ref.Background ? LINKTYPE_BACKGROUND : LINKTYPE_SOURCE;
        if (Failed(FCallback(FContext, url.c_str(), type, link.Out()))) link.Reset();
        return link;
    }

    void RegisterAll(const std::string& css) {
        for (const css_plugin::TCssReference& ref : css_plugin::ScanCss(css))
            if (!css_plugin::IsSelfContained(ref.Url)) Register(ref);
    }

    // Only addresses the program fetches itself get a local copy to point at.
    static bool Rewritable(IDownLoadLink* link) {
        uint8_t kind = 0xFF;
        if (Failed(link->GetKind(&kind))) return false;
        return kind == 0 /* http */ || kind == 4 /* relative */;
    }

    // The style attribute's value, read by the program's attribute reader
    // (the plugin's own simpler one when the program has none).
    static std::string StyleAttribute(BSTR tagText) {
        TVorlinString name("style"), value;
        int32_t position = 0;
        if (!g_application || Failed(g_application->GetAttributeValue(tagText, name.Get(), &position, value.Out())))
            return css_plugin::StyleAttributeValue(VorlinStringToUtf8(tagText));
        return value.Utf8();
    }

    static std::string PageKey(IDownLoadLink* page) {
        return StringOf(page, &IDownLoadLink::GetServer) + StringOf(page, &IDownLoadLink::GetPath);
    }
    // No page stands inside STYLE: the usual case, answered without the page's address.
    // Asked for every tag and text: no lock for the common answer.
    bool AnyInStyle() const { return FAnyInStyle; }
    bool InStyle(const std::string& key) {
        std::lock_guard<std::mutex> lock(FLock);
        return FInStyle.count(key) != 0;
    }
    void SetInStyle(const std::string& key, bool inside) {
        std::lock_guard<std::mutex> lock(FLock);
        if (inside)
            FInStyle.insert(key);
        else
            FInStyle.erase(key);
        FAnyInStyle = !FInStyle.empty();
    }

    std::mutex FLock;
    std::atomic<IPluginSettingsInterface*> FSettings{nullptr};
    std::atomic<TCssSettings*> FCssSettings{nullptr};  // FSettings when it is ours, else null
    IPluginSettingsInterface* FRetired = nullptr;  // the settings before, kept one change longer
    // Pages (by URL) whose parser stands inside a STYLE element; several
    // pages are parsed at once, block by block.
    std::set<std::string> FInStyle;
    std::atomic<bool> FAnyInStyle{false};  // !FInStyle.empty(), kept under FLock
    TAddLinkCallback FCallback = nullptr;
    void* FContext = nullptr;
};

TCssPlugin* g_plugin = nullptr;

} // namespace

extern "C" {

__attribute__((visibility("default"))) VBOOL InitPlugin(IApplicationInterface* application) {
    if (application) application->AddRef();
    g_application = application;
    g_plugin = new (std::nothrow) TCssPlugin();
    return g_plugin != nullptr;
}

__attribute__((visibility("default"))) void GetPluginInterFace(IBasicPluginInterFace** plugin) {
    if (!plugin) return;
    *plugin = g_plugin ? static_cast<IParserPluginInterface*>(g_plugin) : nullptr;
    if (g_plugin) g_plugin->AddRef();
}

__attribute__((visibility("default"))) void DeInitPlugin() {
    // The program releases its own references afterwards.
    if (g_plugin) g_plugin->Release();
    g_plugin = nullptr;
    if (g_application) g_application->Release();
    g_application = nullptr;
}

} // extern "C"
