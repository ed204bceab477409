/*
 * HTTP Vorlin plugin SDK.
 *
 * A plugin is a shared library ("*.so") in the "Plugins/" folder beside the
 * program. It exports three functions with C linkage (InitPlugin,
 * GetPluginInterFace, DeInitPlugin) and hands the program one object that
 * implements IBasicPluginInterFace and, by its capability flags, some of the
 * four capability interfaces.
 *
 * Binary convention (COM style):
 *  - An interface is a pointer to an object whose first word points to a
 *    table of function pointers. Slots 0-2 are QueryInterface, AddRef and
 *    Release; further methods follow in the order declared here.
 *  - In C++ the interfaces below are abstract classes with only pure virtual
 *    methods and single inheritance, and no virtual destructor, so that the
 *    Itanium C++ ABI (g++, clang) lays their tables out in exactly this slot
 *    order. Plugins written in C declare the same tables as structs of
 *    function pointers whose first parameter is the object.
 *  - Every method returns a 32-bit HRESULT (0 = S_OK, negative = failure)
 *    and delivers its value through its last (out) parameter, except the two
 *    last slots of IDownLoadProject (see there). A failure result makes the
 *    program raise an error at the call site, which the download run logs.
 *  - Booleans are one byte (VBOOL: 0 false, anything else true); integers are
 *    32-bit; date-times are doubles counting days since 30 December 1899.
 *
 * Strings (BSTR): UTF-16 code units, preceded by a 32-bit byte length and
 * followed by a 0 unit; a BSTR points at the first unit. A null BSTR is the
 * empty string. Allocate with VorlinAllocString*, free with VorlinFreeString.
 * Ownership follows COM: an [in] BSTR belongs to the caller and is valid for
 * the call only; an [out] BSTR is allocated by the callee and freed by the
 * caller. Interfaces passed [in] are valid for the call (AddRef to keep
 * them); an [out] interface carries one reference that the caller releases.
 *
 * Order of calls: InitPlugin, GetPluginInterFace (its out object carries one
 * reference for the program), GetCapabilities (once per capability bit) and
 * QueryInterface for each declared capability (and, of an HTML parser, for
 * the optional IHTMLParserInterest); at the end DeInitPlugin, after
 * which the program releases every reference it holds, so the object must
 * stay valid until its last Release.
 *
 * This header needs nothing but the C++ standard library; VorlinPluginHelpers.h
 * adds optional C++ helpers.
 */
#ifndef VORLIN_PLUGIN_SDK_H
#define VORLIN_PLUGIN_SDK_H

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace vorlin_sdk {

typedef int32_t HRESULT;
typedef uint8_t VBOOL;
typedef char16_t OLECHAR;
typedef OLECHAR* BSTR;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline bool Succeeded(HRESULT hr) { return hr >= 0; }
inline bool Failed(HRESULT hr) { return hr < 0; }

// A GUID in its binary layout: 32-bit, 16-bit, 16-bit (little-endian), 8 bytes.
struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
static_assert(sizeof(GUID) == 16, "GUID must be 16 bytes");

// --- BSTR helpers --------------------------------------------------------

// A new BSTR holding length units of text (text may be null: zero-filled).
inline BSTR VorlinAllocStringLen(const OLECHAR* text, uint32_t length) {
    if (length > (UINT32_MAX - 6) / 2) return nullptr;
    char* block = static_cast<char*>(std::malloc(4 + (static_cast<size_t>(length) + 1) * 2));
    if (!block) return nullptr;
    uint32_t bytes = length * 2;
    std::memcpy(block, &bytes, 4);
    BSTR s = reinterpret_cast<BSTR>(block + 4);
    if (text)
        std::memcpy(s, text, bytes);
    else
        std::memset(s, 0, bytes);
    s[length] = 0;
    return s;
}
// A new BSTR copied from a 0-terminated UTF-16 text.
inline BSTR VorlinAllocString(const OLECHAR* text) {
    uint32_t n = 0;
    if (text)
        while (text[n]) ++n;
    return VorlinAllocStringLen(text, n);
}
// Frees a BSTR made by the helpers above (null is allowed).
inline void VorlinFreeString(BSTR s) {
    if (s) std::free(reinterpret_cast<char*>(s) - 4);
}
// The number of UTF-16 units of a BSTR (0 for null).
inline uint32_t VorlinStringLen(const OLECHAR* s) {
    if (!s) return 0;
    uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<const char*>(s) - 4, 4);
    return bytes / 2;
}

// --- Interfaces -------------------------------------------------------------

struct IUnknown {
    virtual HRESULT QueryInterface(const GUID& iid, void** object) = 0;  // slot 0
    virtual uint32_t AddRef() = 0;                                      // slot 1
    virtual uint32_t Release() = 0;                                     // slot 2
};

// {00000000-0000-0000-C000-000000000046}
constexpr GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// {0000000C-0000-0000-C000-000000000046}
constexpr GUID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

enum : uint32_t { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };

// A byte stream in the COM layout (ISequentialStream then IStream slots).
// The program's streams implement Read, Write, Seek, SetSize and Stat (size
// only); the other slots answer E_NOTIMPL.
struct STATSTG_SIZE {
    uint64_t Size;  // the one field the program fills
};
struct IStream : IUnknown {
    virtual HRESULT Read(void* buffer, uint32_t count, uint32_t* read) = 0;              // 3
    virtual HRESULT Write(const void* buffer, uint32_t count, uint32_t* written) = 0;    // 4
    virtual HRESULT Seek(int64_t move, uint32_t origin, uint64_t* newPosition) = 0;      // 5
    virtual HRESULT SetSize(uint64_t newSize) = 0;                                       // 6
    virtual HRESULT CopyTo(IStream* target, uint64_t count, uint64_t* read,
                           uint64_t* written) = 0;                                       // 7
    virtual HRESULT Commit(uint32_t flags) = 0;                                          // 8
    virtual HRESULT Revert() = 0;                                                        // 9
    virtual HRESULT LockRegion(uint64_t offset, uint64_t count, uint32_t type) = 0;      // 10
    virtual HRESULT UnlockRegion(uint64_t offset, uint64_t count, uint32_t type) = 0;    // 11
    virtual HRESULT Stat(STATSTG_SIZE* stat, uint32_t flags) = 0;                        // 12
    virtual HRESULT Clone(IStream** copy) = 0;                                           // 13
};

struct IDownLoadLink;
struct IDownLoadProject;
struct IPluginSettingsInterface;
struct IFilterActionInterface;
struct IFilterActionPluginInterface;

// Capability flags of GetCapabilities.
enum : uint16_t {
    PLUGIN_CAP_PARSER = 1,       // IParserPluginInterface
    PLUGIN_CAP_FILTER = 2,       // IFilterPluginInterface
    PLUGIN_CAP_DOWNLOAD = 4,     // IDownloadPluginInterface
    PLUGIN_CAP_HTMLPARSER = 8,   // IHTMLParserPluginInterface
};

// Link types passed to the add-link callback.
enum : int32_t {
    LINKTYPE_SOURCE = 0,
    LINKTYPE_PAGE = 1,
    LINKTYPE_BACKGROUND = 2,
    LINKTYPE_NONE = 3,
    LINKTYPE_SCRIPTLINK = 4,
    LINKTYPE_SCRIPTFILE = 5,
    LINKTYPE_APPLETCODE = 6,
    LINKTYPE_APPLETARCHIVE = 7,
};

// Registers a URL found by a plugin as a link of the page being parsed.
// url is a 0-terminated UTF-16 text (a BSTR may be passed); linkType is one
// of LINKTYPE_* (others answer E_INVALIDARG); the link comes back with one
// reference, or null when the plugin passes a null out pointer. The callback
// works only during the call it was set for (Parse, HandleTag, HandleText);
// called at any other time it answers E_FAIL.
typedef HRESULT (*TAddLinkCallback)(void* context, const OLECHAR* url, int32_t linkType,
                                    IDownLoadLink** link);

// {884CE940-685F-11D3-938B-0000C0774EE9}
constexpr GUID IID_IBasicPluginInterFace = {
    0x884CE940, 0x685F, 0x11D3, {0x93, 0x8B, 0x00, 0x00, 0xC0, 0x77, 0x4E, 0xE9}};
struct IBasicPluginInterFace : IUnknown {
    virtual HRESULT GetCapabilities(uint16_t* flags) = 0;                      // 3
    virtual HRESULT GetName(BSTR* name) = 0;                                   // 4
    virtual HRESULT Reserved5() = 0;                                           // 5, not called
    virtual HRESULT GetSettings(IPluginSettingsInterface** settings) = 0;      // 6
    virtual HRESULT SetSettings(IPluginSettingsInterface* settings) = 0;       // 7 (null: none)
    virtual HRESULT Reserved8() = 0;                                           // 8, not called
    virtual HRESULT CreateSettings(IPluginSettingsInterface** settings) = 0;   // 9
};

// A plugin's settings for one project (no interface id).
struct IPluginSettingsInterface : IUnknown {
    virtual HRESULT LoadFromStream(IStream* stream) = 0;           // 3
    virtual HRESULT CanConfigure(VBOOL* configurable) = 0;         // 4
    virtual HRESULT Configure(void* parentWindow, VBOOL* ok) = 0;  // 5
    virtual HRESULT SaveToStream(IStream* stream) = 0;             // 6
    virtual HRESULT EndConfigure() = 0;                            // 7
    virtual HRESULT GetActive(VBOOL* active) = 0;                  // 8
    virtual HRESULT SetActive(VBOOL active) = 0;                   // 9
};

// {884CE942-685F-11D3-938B-0000C0774EE9}, capability 1.
constexpr GUID IID_IParserPluginInterface = {
    0x884CE942, 0x685F, 0x11D3, {0x93, 0x8B, 0x00, 0x00, 0xC0, 0x77, 0x4E, 0xE9}};
struct IParserPluginInterface : IBasicPluginInterFace {
    virtual HRESULT Reserved10() = 0;                                                    // 10
    virtual HRESULT SetAddLinkCallback(TAddLinkCallback callback, void* context) = 0;    // 11
    virtual HRESULT CanParse(IDownLoadProject* project, IDownLoadLink* link,
                             VBOOL* claims) = 0;                                         // 12
    // localFileName: the stored file's full path on this machine (a path the
    // C library opens), 0-terminated UTF-8. The plugin writes the stored file.
    virtual HRESULT Parse(IDownLoadProject* project, IDownLoadLink* link, IStream* stream,
                          const char* localFileName) = 0;                                // 13
};

// {884CE945-685F-11D3-938B-0000C0774EE9}, capability 2.
constexpr GUID IID_IFilterPluginInterface = {
    0x884CE945, 0x685F, 0x11D3, {0x93, 0x8B, 0x00, 0x00, 0xC0, 0x77, 0x4E, 0xE9}};
struct IFilterPluginInterface : IBasicPluginInterFace {
    virtual HRESULT ForceLink(IDownLoadProject* project, IDownLoadLink* link, VBOOL* force) = 0;  // 10
    virtual HRESULT ConfirmOutside(IDownLoadProject* project, IDownLoadLink* link,
                                   VBOOL* outside) = 0;                                        // 11
    virtual HRESULT FilterAfterHeader(IDownLoadProject* project, IDownLoadLink* link,
                                      VBOOL* accept) = 0;                                      // 12
    virtual HRESULT FilterBeforeRequest(IDownLoadProject* project, IDownLoadLink* link,
                                        VBOOL* accept) = 0;                                    // 13
};

// {884CE947-685F-11D3-938B-0000C0774EE9}, capability 4.
constexpr GUID IID_IDownloadPluginInterface = {
    0x884CE947, 0x685F, 0x11D3, {0x93, 0x8B, 0x00, 0x00, 0xC0, 0x77, 0x4E, 0xE9}};
struct IDownloadPluginInterface : IBasicPluginInterFace {
    virtual HRESULT TakeLink(IDownLoadProject* project, IDownLoadLink* link, VBOOL* taken) = 0;  // 10
    virtual HRESULT SaveData(IStream* stream) = 0;                                             // 11
    virtual HRESULT LoadData(IStream* stream) = 0;                                             // 12
    virtual HRESULT ShowData() = 0;                                                            // 13
    virtual HRESULT DownloadStarted(IDownLoadProject* project) = 0;                            // 14
    virtual HRESULT DownloadFinished(IDownLoadProject* project) = 0;                           // 15
};

// {62F41740-6DD2-11D3-938B-0000C0774EE9}, capability 8.
constexpr GUID IID_IHTMLParserPluginInterface = {
    0x62F41740, 0x6DD2, 0x11D3, {0x93, 0x8B, 0x00, 0x00, 0xC0, 0x77, 0x4E, 0xE9}};
struct IHTMLParserPluginInterface : IBasicPluginInterFace {
    // tagName is upper case; tagText is what stood between "<" and ">".
    virtual HRESULT HandleTag(IDownLoadProject* project, IDownLoadLink* link, BSTR tagName,
                              BSTR tagText, VBOOL* handled) = 0;                           // 10
    virtual HRESULT HandleText(IDownLoadProject* project, IDownLoadLink* link, BSTR text) = 0;  // 11
    virtual HRESULT Reserved12() = 0;                                                      // 12
    virtual HRESULT SetAddLinkCallback(TAddLinkCallback callback, void* context) = 0;      // 13
};

// {5B3E2A71-0C4D-4E8F-9A61-7D2C4B9E1F30}, optional, of an HTML parser plugin.
// HandleTag and HandleText run for every tag and text of every page; a
// plugin that needs only some of them says which once, when it is loaded,
// and is handed those alone (on the program's own strings, so the others
// cost nothing). A plugin without this interface is handed everything.
// Each list holds entries separated by blanks, matched without regard to
// case (ASCII):
//  tagNames   tags handed whole by name ("STYLE", end tags included); an
//             entry ending in "*" is a prefix ("!--*": every comment); "*"
//             alone: every tag;
//  tagWords   tags of any name are handed too when their text holds one of
//             these words ("style");
//  textsIn    texts handed only inside these elements, from the start tag
//             to its end tag ("STYLE"); "*": every text; empty: none.
// The program may hand a few more than asked (an element left open is
// taken to last to the end of its page), never fewer.
constexpr GUID IID_IHTMLParserInterest = {
    0x5B3E2A71, 0x0C4D, 0x4E8F, {0x9A, 0x61, 0x7D, 0x2C, 0x4B, 0x9E, 0x1F, 0x30}};
struct IHTMLParserInterest : IUnknown {
    virtual HRESULT GetInterest(BSTR* tagNames, BSTR* tagWords, BSTR* textsIn) = 0;  // 3
};

// One action a plugin adds to every rule (no interface id).
struct IFilterActionInterface : IUnknown {
    virtual HRESULT Execute() = 0;                      // 3
    virtual HRESULT Edit() = 0;                         // 4
    virtual HRESULT GetPhases(int32_t* phases) = 0;     // 5: bit i = phase i
    virtual HRESULT GetTemplateText(BSTR* text) = 0;    // 6
    virtual HRESULT GetDescription(BSTR* text) = 0;     // 7
    virtual HRESULT GetLinkStart(int32_t* start) = 0;   // 8
    virtual HRESULT GetLinkLength(int32_t* length) = 0; // 9
    virtual HRESULT GetClassGUID(GUID* guid) = 0;       // 10
    virtual HRESULT LoadFromStream(IStream* stream) = 0; // 11
    virtual HRESULT SaveToStream(IStream* stream) = 0;   // 12
};

// An action provider (no interface id).
struct IFilterActionPluginInterface : IBasicPluginInterFace {
    virtual HRESULT GetActionCount(int32_t* count) = 0;                             // 10
    virtual HRESULT GetAction(int32_t index, IFilterActionInterface** action) = 0;  // 11
};

// The program's services, handed to InitPlugin (no interface id).
struct IApplicationInterface : IUnknown {
    virtual HRESULT ResolveURL(BSTR base, BSTR reference, BSTR* result) = 0;                // 3
    // position: where the value starts in tagText, counting UTF-16 units
    // from 1; 0 (and an empty value) when the tag has no such attribute.
    virtual HRESULT GetAttributeValue(BSTR tagText, BSTR name, int32_t* position,
                                      BSTR* value) = 0;                                     // 4
    virtual HRESULT EncodeURL(BSTR text, BSTR* result) = 0;                                 // 5
    virtual HRESULT HTTPDecode(BSTR text, BSTR* result) = 0;                                // 6
    virtual HRESULT Reserved7(IUnknown* object, IDownLoadLink* link1, IDownLoadLink* link2,
                              int32_t a, int32_t b, int32_t c) = 0;                         // 7
    virtual HRESULT Terminate() = 0;                                                        // 8
    virtual HRESULT RegisterActionProvider(IFilterActionPluginInterface* provider) = 0;     // 9
};

// {884CE943-685F-11D3-938B-0000C0774EE9}: a link of the running download.
constexpr GUID IID_IDownLoadLink = {
    0x884CE943, 0x685F, 0x11D3, {0x93, 0x8B, 0x00, 0x00, 0xC0, 0x77, 0x4E, 0xE9}};
struct IDownLoadLink : IUnknown {
    virtual HRESULT GetKind(uint8_t* v) = 0;             // 3
    virtual HRESULT SetKind(uint8_t v) = 0;              // 4
    virtual HRESULT GetForced(VBOOL* v) = 0;             // 5: stored flag or any plugin's force
    virtual HRESULT SetForced(VBOOL v) = 0;              // 6: the stored flag only
    virtual HRESULT GetState(uint8_t* v) = 0;            // 7
    virtual HRESULT SetState(uint8_t v) = 0;             // 8
    virtual HRESULT GetBaseResolved(VBOOL* v) = 0;       // 9
    virtual HRESULT SetBaseResolved(VBOOL v) = 0;        // 10
    virtual HRESULT GetInvalid(VBOOL* v) = 0;            // 11
    virtual HRESULT SetInvalid(VBOOL v) = 0;             // 12
    virtual HRESULT GetLinkType(uint8_t* v) = 0;         // 13
    virtual HRESULT SetLinkType(uint8_t v) = 0;          // 14
    virtual HRESULT GetSlot(int32_t* v) = 0;             // 15
    virtual HRESULT SetSlot(int32_t v) = 0;              // 16
    virtual HRESULT GetSize(int32_t* v) = 0;             // 17
    virtual HRESULT SetSize(int32_t v) = 0;              // 18
    virtual HRESULT GetLevel(int32_t* v) = 0;            // 19
    virtual HRESULT SetLevel(int32_t v) = 0;             // 20
    virtual HRESULT GetExternalLevel(int32_t* v) = 0;    // 21
    virtual HRESULT SetExternalLevel(int32_t v) = 0;     // 22
    virtual HRESULT GetLastModified(double* v) = 0;      // 23
    virtual HRESULT SetLastModified(double v) = 0;       // 24
    virtual HRESULT GetPath(BSTR* v) = 0;                // 25
    virtual HRESULT SetPath(BSTR v) = 0;                 // 26
    virtual HRESULT GetLocalFileName(BSTR* v) = 0;       // 27
    virtual HRESULT SetLocalFileName(BSTR v) = 0;        // 28
    virtual HRESULT GetMimeType(BSTR* v) = 0;            // 29
    virtual HRESULT SetMimeType(BSTR v) = 0;             // 30
    virtual HRESULT GetScopeDir(BSTR* v) = 0;            // 31
    virtual HRESULT SetScopeDir(BSTR v) = 0;             // 32
    virtual HRESULT GetTagName(BSTR* v) = 0;             // 33
    virtual HRESULT SetTagName(BSTR v) = 0;              // 34
    virtual HRESULT GetServer(BSTR* v) = 0;              // 35
    virtual HRESULT SetServer(BSTR v) = 0;               // 36: also derives LocalDir
    virtual HRESULT GetLocalDir(BSTR* v) = 0;            // 37
    virtual HRESULT GetOutside(VBOOL* v) = 0;            // 38
    virtual HRESULT GetAcceptBeforeRequest(VBOOL* v) = 0;  // 39
    virtual HRESULT GetAcceptAfterHeaders(VBOOL* v) = 0;   // 40
    virtual HRESULT Lock() = 0;                          // 41
    virtual HRESULT Unlock() = 0;                        // 42
};

// {884CE944-685F-11D3-938B-0000C0774EE9}: the project of the running download.
constexpr GUID IID_IDownLoadProject = {
    0x884CE944, 0x685F, 0x11D3, {0x93, 0x8B, 0x00, 0x00, 0xC0, 0x77, 0x4E, 0xE9}};
struct IDownLoadProject : IUnknown {
    virtual HRESULT GetIsNew(VBOOL* v) = 0;                      // 3
    virtual HRESULT SetIsNew(VBOOL v) = 0;                       // 4
    virtual HRESULT GetStructureShown(VBOOL* v) = 0;             // 5
    virtual HRESULT SetStructureShown(VBOOL v) = 0;              // 6
    virtual HRESULT GetStartServer(BSTR* v) = 0;                 // 7
    virtual HRESULT SetStartServer(BSTR v) = 0;                  // 8
    virtual HRESULT GetStartDomain(BSTR* v) = 0;                 // 9
    virtual HRESULT SetStartDomain(BSTR v) = 0;                  // 10
    virtual HRESULT GetStartDocument(BSTR* v) = 0;               // 11
    virtual HRESULT SetStartDocument(BSTR v) = 0;                // 12
    virtual HRESULT GetTargetDir(BSTR* v) = 0;                   // 13
    virtual HRESULT SetTargetDir(BSTR v) = 0;                    // 14
    virtual HRESULT GetStartURL(BSTR* v) = 0;                    // 15
    virtual HRESULT SetStartURL(BSTR v) = 0;                     // 16
    virtual HRESULT GetAverageCPS(int32_t* v) = 0;               // 17
    virtual HRESULT SetAverageCPS(int32_t v) = 0;                // 18
    virtual HRESULT GetPeekCPS(int32_t* v) = 0;                  // 19
    virtual HRESULT SetPeekCPS(int32_t v) = 0;                   // 20
    virtual HRESULT GetLastDownloadDate(double* v) = 0;          // 21
    virtual HRESULT SetLastDownloadDate(double v) = 0;           // 22
    virtual HRESULT GetLastDuration(double* v) = 0;              // 23
    virtual HRESULT SetLastDuration(double v) = 0;               // 24
    virtual HRESULT GetProjectSize(int32_t* v) = 0;              // 25: low 32 bits
    virtual HRESULT SetProjectSize(int32_t v) = 0;               // 26: sign-extended
    virtual HRESULT GetRunSize(int32_t* v) = 0;                  // 27
    virtual HRESULT SetRunSize(int32_t v) = 0;                   // 28
    virtual HRESULT GetFileCount(int32_t* v) = 0;                // 29
    virtual HRESULT SetFileCount(int32_t v) = 0;                 // 30
    virtual HRESULT GetFilteredOutCount(int32_t* v) = 0;         // 31
    virtual HRESULT SetFilteredOutCount(int32_t v) = 0;          // 32
    virtual HRESULT GetDownloadedCount(int32_t* v) = 0;          // 33
    virtual HRESULT SetDownloadedCount(int32_t v) = 0;           // 34
    virtual HRESULT GetJavaScriptMode(uint8_t* v) = 0;           // 35
    virtual HRESULT SetJavaScriptMode(uint8_t v) = 0;            // 36
    virtual HRESULT GetScopeMode(uint8_t* v) = 0;                // 37
    virtual HRESULT SetScopeMode(uint8_t v) = 0;                 // 38
    virtual HRESULT GetInvalidCharMode(uint8_t* v) = 0;          // 39
    virtual HRESULT SetInvalidCharMode(uint8_t v) = 0;           // 40
    virtual HRESULT GetProjectMode(uint8_t* v) = 0;              // 41
    virtual HRESULT SetProjectMode(uint8_t v) = 0;               // 42
    virtual HRESULT GetMaxFileSize(int32_t* v) = 0;              // 43
    virtual HRESULT SetMaxFileSize(int32_t v) = 0;               // 44
    virtual HRESULT GetMaxExternalLevelCount(int32_t* v) = 0;    // 45
    virtual HRESULT SetMaxExternalLevelCount(int32_t v) = 0;     // 46
    virtual HRESULT GetMaxFileCount(int32_t* v) = 0;             // 47
    virtual HRESULT SetMaxFileCount(int32_t v) = 0;              // 48
    virtual HRESULT GetMinDriveSpace(int32_t* v) = 0;            // 49
    virtual HRESULT SetMinDriveSpace(int32_t v) = 0;             // 50
    virtual HRESULT GetMaxLevelCount(int32_t* v) = 0;            // 51
    virtual HRESULT SetMaxLevelCount(int32_t v) = 0;             // 52
    virtual HRESULT GetMaxProjSize(int32_t* v) = 0;              // 53
    virtual HRESULT SetMaxProjSize(int32_t v) = 0;               // 54
    virtual HRESULT GetMirroringChangeQ(BSTR* v) = 0;            // 55
    virtual HRESULT SetMirroringChangeQ(BSTR v) = 0;             // 56
    virtual HRESULT GetURL(BSTR* v) = 0;                         // 57
    virtual HRESULT SetURL(BSTR v) = 0;                          // 58
    virtual HRESULT GetDestination(BSTR* v) = 0;                 // 59
    virtual HRESULT SetDestination(BSTR v) = 0;                  // 60
    virtual HRESULT GetUseMaxFileSize(VBOOL* v) = 0;             // 61
    virtual HRESULT SetUseMaxFileSize(VBOOL v) = 0;              // 62
    virtual HRESULT GetUseMaxFileCount(VBOOL* v) = 0;            // 63
    virtual HRESULT SetUseMaxFileCount(VBOOL v) = 0;             // 64
    virtual HRESULT GetUseMinDriveSpace(VBOOL* v) = 0;           // 65
    virtual HRESULT SetUseMinDriveSpace(VBOOL v) = 0;            // 66
    virtual HRESULT GetUseMaxLevelCount(VBOOL* v) = 0;           // 67
    virtual HRESULT SetUseMaxLevelCount(VBOOL v) = 0;            // 68
    virtual HRESULT GetUseMaxProjSize(VBOOL* v) = 0;             // 69
    virtual HRESULT SetUseMaxProjSize(VBOOL v) = 0;              // 70
    virtual HRESULT GetDownloadBckgrds(VBOOL* v) = 0;            // 71
    virtual HRESULT SetDownloadBckgrds(VBOOL v) = 0;             // 72
    virtual HRESULT GetFollowExternalLinks(VBOOL* v) = 0;        // 73
    virtual HRESULT SetFollowExternalLinks(VBOOL v) = 0;         // 74
    virtual HRESULT GetSpareFlag(VBOOL* v) = 0;                  // 75
    virtual HRESULT SetSpareFlag(VBOOL v) = 0;                   // 76
    virtual HRESULT GetUseMaxExternalLevelCount(VBOOL* v) = 0;   // 77
    virtual HRESULT SetUseMaxExternalLevelCount(VBOOL v) = 0;    // 78
    virtual HRESULT GetFollowExternalImages(VBOOL* v) = 0;       // 79
    virtual HRESULT SetFollowExternalImages(VBOOL v) = 0;        // 80
    // The last two slots return their value directly (slot 81) or through
    // their only parameter (slot 82); they report no result code.
    virtual VBOOL RewritesLinks() = 0;                           // 81
    virtual void InvalidCharReplacement(BSTR* text) = 0;         // 82
};

} // namespace vorlin_sdk

// The three exports of every plugin library.
extern "C" {
typedef vorlin_sdk::VBOOL (*TInitPluginFunction)(vorlin_sdk::IApplicationInterface* application);
typedef void (*TGetPluginInterFaceFunction)(vorlin_sdk::IBasicPluginInterFace** plugin);
typedef void (*TDeInitPluginFunction)();
}

#endif
