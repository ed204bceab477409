#include "rules/DownloadLinkAdapter.h"

#include "plugins/sdk/VorlinPluginHelpers.h"
#include "project/DownloadLink.h"
#include "rules/AdapterFields.h"

namespace vorlin {

using namespace vorlin_sdk;

namespace {

class TDownloadLinkAdapter final : public TRefCounted<IDownLoadLink> {
public:
    explicit TDownloadLinkAdapter(TDownloadLink& link) : FLink(link) {}

    HRESULT QueryInterface(const GUID& iid, void** object) override {
        return QueryAdapterInterface(this, IID_IDownLoadLink, iid, object);
    }

    HRESULT GetKind(uint8_t* v) override { return GetField(v, FLink.Kind); }
    HRESULT SetKind(uint8_t v) override { return SetField(FLink.Kind, v); }
    HRESULT GetForced(VBOOL* v) override {
        return GuardedOut(v, [&] { return FLink.IsForced(); });
    }
    HRESULT SetForced(VBOOL v) override { return SetField(FLink.Forced, v); }
    HRESULT GetState(uint8_t* v) override { return GetField(v, FLink.State); }
    HRESULT SetState(uint8_t v) override { return SetField(FLink.State, v); }
    HRESULT GetBaseResolved(VBOOL* v) override { return GetField(v, FLink.BaseResolved); }
    HRESULT SetBaseResolved(VBOOL v) override { return SetField(FLink.BaseResolved, v); }
    HRESULT GetInvalid(VBOOL* v) override { return GetField(v, FLink.Invalid); }
    HRESULT SetInvalid(VBOOL v) override { return SetField(FLink.Invalid, v); }
    HRESULT GetLinkType(uint8_t* v) override { return GetField(v, FLink.LinkType); }
    HRESULT SetLinkType(uint8_t v) override { return SetField(FLink.LinkType, v); }
    HRESULT GetSlot(int32_t* v) override { return GetField(v, FLink.Slot); }
    HRESULT SetSlot(int32_t v) override { return SetField(FLink.Slot, v); }
    HRESULT GetSize(int32_t* v) override { return GetField(v, FLink.Size); }
    HRESULT SetSize(int32_t v) override { return SetField(FLink.Size, v); }
    HRESULT GetLevel(int32_t* v) override { return GetField(v, FLink.Level); }
    HRESULT SetLevel(int32_t v) override { return SetField(FLink.Level, v); }
    HRESULT GetExternalLevel(int32_t* v) override { return GetField(v, FLink.ExternalLevel); }
    HRESULT SetExternalLevel(int32_t v) override { return SetField(FLink.ExternalLevel, v); }
    HRESULT GetLastModified(double* v) override { return GetField(v, FLink.LastModified); }
    HRESULT SetLastModified(double v) override { return SetField(FLink.LastModified, v); }
    HRESULT GetPath(BSTR* v) override { return GetField(v, FLink.Path); }
    HRESULT SetPath(BSTR v) override { return SetField(FLink.Path, v); }
    HRESULT GetLocalFileName(BSTR* v) override { return GetField(v, FLink.LocalFileName); }
    HRESULT SetLocalFileName(BSTR v) override { return SetField(FLink.LocalFileName, v); }
    HRESULT GetMimeType(BSTR* v) override { return GetField(v, FLink.MimeType); }
    HRESULT SetMimeType(BSTR v) override { return SetField(FLink.MimeType, v); }
    HRESULT GetScopeDir(BSTR* v) override { return GetField(v, FLink.ScopeDir); }
    HRESULT SetScopeDir(BSTR v) override { return SetField(FLink.ScopeDir, v); }
    HRESULT GetTagName(BSTR* v) override { return GetField(v, FLink.TagName); }
    HRESULT SetTagName(BSTR v) override { return SetField(FLink.TagName, v); }
    HRESULT GetServer(BSTR* v) override { return GetField(v, FLink.Server()); }
    HRESULT SetServer(BSTR v) override {
        return GuardedCall([&] { FLink.SetServer(VorlinStringToUtf8(v)); });
    }
    HRESULT GetLocalDir(BSTR* v) override { return GetField(v, FLink.LocalDir()); }
    HRESULT GetOutside(VBOOL* v) override {
        return GuardedOut(v, [&] { return FLink.IsOutOfScope(); });
    }
    HRESULT GetAcceptBeforeRequest(VBOOL* v) override {
        return GuardedOut(v, [&] { return FLink.AcceptBeforeRequest(); });
    }
    HRESULT GetAcceptAfterHeaders(VBOOL* v) override {
        return GuardedOut(v, [&] { return FLink.AcceptAfterHeaders(); });
    }
    HRESULT Lock() override { return GuardedCall([&] { FLink.Lock(); }); }
    HRESULT Unlock() override { return GuardedCall([&] { FLink.Unlock(); }); }

private:
    TDownloadLink& FLink;
};

} // namespace

IDownLoadLink* CreateDownloadLinkAdapter(TDownloadLink& link) { return new TDownloadLinkAdapter(link); }

} // namespace vorlin
