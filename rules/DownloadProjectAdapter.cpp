#include "rules/DownloadProjectAdapter.h"

#include "plugins/sdk/VorlinPluginHelpers.h"
#include "project/DownloadProject.h"
#include "rules/AdapterFields.h"

namespace vorlin {

using namespace vorlin_sdk;

namespace {

// The 64-bit byte totals reach plugins as their low 32 bits; a value written
// back is sign-extended (so -1 stays -1).
int32_t LowWord(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

class TDownloadProjectAdapter final : public TRefCounted<IDownLoadProject> {
public:
    explicit TDownloadProjectAdapter(TDownloadProject& project) : FProject(project) {}

    HRESULT QueryInterface(const GUID& iid, void** object) override {
        return QueryAdapterInterface(this, IID_IDownLoadProject, iid, object);
    }

    HRESULT GetIsNew(VBOOL* v) override { return GetField(v, FProject.IsNew); }
    HRESULT SetIsNew(VBOOL v) override { return SetField(FProject.IsNew, v); }
    HRESULT GetStructureShown(VBOOL* v) override { return GetField(v, FProject.StructureShown); }
    HRESULT SetStructureShown(VBOOL v) override { return SetField(FProject.StructureShown, v); }
    HRESULT GetStartServer(BSTR* v) override { return GetField(v, FProject.StartServer); }
    HRESULT SetStartServer(BSTR v) override { return SetField(FProject.StartServer, v); }
    HRESULT GetStartDomain(BSTR* v) override { return GetField(v, FProject.StartDomain); }
    HRESULT SetStartDomain(BSTR v) override { return SetField(FProject.StartDomain, v); }
    HRESULT GetStartDocument(BSTR* v) override { return GetField(v, FProject.StartDocument); }
    HRESULT SetStartDocument(BSTR v) override { return SetField(FProject.StartDocument, v); }
    HRESULT GetTargetDir(BSTR* v) override { return GetField(v, FProject.TargetDir); }
    HRESULT SetTargetDir(BSTR v) override { return SetField(FProject.TargetDir, v); }
    HRESULT GetStartURL(BSTR* v) override { return GetField(v, FProject.StartURL); }
    HRESULT SetStartURL(BSTR v) override { return SetField(FProject.StartURL, v); }
    HRESULT GetAverageCPS(int32_t* v) override { return GetField(v, FProject.AverageCPS); }
    HRESULT SetAverageCPS(int32_t v) override { return SetField(FProject.AverageCPS, v); }
    HRESULT GetPeekCPS(int32_t* v) override { return GetField(v, FProject.PeekCPS); }
    HRESULT SetPeekCPS(int32_t v) override { return SetField(FProject.PeekCPS, v); }
    HRESULT GetLastDownloadDate(double* v) override { return GetField(v, FProject.LastDownloadDate); }
    HRESULT SetLastDownloadDate(double v) override { return SetField(FProject.LastDownloadDate, v); }
    HRESULT GetLastDuration(double* v) override { return GetField(v, FProject.LastDuration); }
    HRESULT SetLastDuration(double v) override { return SetField(FProject.LastDuration, v); }
    HRESULT GetProjectSize(int32_t* v) override { return GetField(v, LowWord(FProject.ProjectSize)); }
    HRESULT SetProjectSize(int32_t v) override { return SetField(FProject.ProjectSize, v); }
    HRESULT GetRunSize(int32_t* v) override { return GetField(v, LowWord(FProject.RunSize)); }
    HRESULT SetRunSize(int32_t v) override { return SetField(FProject.RunSize, v); }
    HRESULT GetFileCount(int32_t* v) override { return GetField(v, FProject.FileCount); }
    HRESULT SetFileCount(int32_t v) override { return SetField(FProject.FileCount, v); }
    HRESULT GetFilteredOutCount(int32_t* v) override { return GetField(v, FProject.FilteredOutCount); }
    HRESULT SetFilteredOutCount(int32_t v) override { return SetField(FProject.FilteredOutCount, v); }
    HRESULT GetDownloadedCount(int32_t* v) override { return GetField(v, FProject.DownloadedCount); }
    HRESULT SetDownloadedCount(int32_t v) override { return SetField(FProject.DownloadedCount, v); }
    HRESULT GetJavaScriptMode(uint8_t* v) override { return GetField(v, FProject.JavaScriptMode); }
    HRESULT SetJavaScriptMode(uint8_t v) override { return SetField(FProject.JavaScriptMode, v); }
    HRESULT GetScopeMode(uint8_t* v) override { return GetField(v, FProject.ScopeMode); }
    HRESULT SetScopeMode(uint8_t v) override { return SetField(FProject.ScopeMode, v); }
    HRESULT GetInvalidCharMode(uint8_t* v) override { return GetField(v, FProject.InvalidCharMode); }
    HRESULT SetInvalidCharMode(uint8_t v) override { return SetField(FProject.InvalidCharMode, v); }
    HRESULT GetProjectMode(uint8_t* v) override { return GetField(v, FProject.ProjectMode); }
    HRESULT SetProjectMode(uint8_t v) override { return SetField(FProject.ProjectMode, v); }
    HRESULT GetMaxFileSize(int32_t* v) override { return GetField(v, FProject.MaxFileSize); }
    HRESULT SetMaxFileSize(int32_t v) override { return SetField(FProject.MaxFileSize, v); }
    HRESULT GetMaxExternalLevelCount(int32_t* v) override { return GetField(v, FProject.MaxExternalLevelCount); }
    HRESULT SetMaxExternalLevelCount(int32_t v) override { return SetField(FProject.MaxExternalLevelCount, v); }
    HRESULT GetMaxFileCount(int32_t* v) override { return GetField(v, FProject.MaxFileCount); }
    HRESULT SetMaxFileCount(int32_t v) override { return SetField(FProject.MaxFileCount, v); }
    HRESULT GetMinDriveSpace(int32_t* v) override { return GetField(v, FProject.MinDriveSpace); }
    HRESULT SetMinDriveSpace(int32_t v) override { return SetField(FProject.MinDriveSpace, v); }
    HRESULT GetMaxLevelCount(int32_t* v) override { return GetField(v, FProject.MaxLevelCount); }
    HRESULT SetMaxLevelCount(int32_t v) override { return SetField(FProject.MaxLevelCount, v); }
    HRESULT GetMaxProjSize(int32_t* v) override { return GetField(v, FProject.MaxProjSize); }
    HRESULT SetMaxProjSize(int32_t v) override { return SetField(FProject.MaxProjSize, v); }
    HRESULT GetMirroringChangeQ(BSTR* v) override { return GetField(v, FProject.MirroringChangeQ); }
    HRESULT SetMirroringChangeQ(BSTR v) override { return SetField(FProject.MirroringChangeQ, v); }
    HRESULT GetURL(BSTR* v) override { return GetField(v, FProject.URL); }
    HRESULT SetURL(BSTR v) override { return SetField(FProject.URL, v); }
    HRESULT GetDestination(BSTR* v) override { return GetField(v, FProject.Destination); }
    HRESULT SetDestination(BSTR v) override { return SetField(FProject.Destination, v); }
    HRESULT GetUseMaxFileSize(VBOOL* v) override { return GetField(v, FProject.UseMaxFileSize); }
    HRESULT SetUseMaxFileSize(VBOOL v) override { return SetField(FProject.UseMaxFileSize, v); }
    HRESULT GetUseMaxFileCount(VBOOL* v) override { return GetField(v, FProject.UseMaxFileCount); }
    HRESULT SetUseMaxFileCount(VBOOL v) override { return SetField(FProject.UseMaxFileCount, v); }
    HRESULT GetUseMinDriveSpace(VBOOL* v) override { return GetField(v, FProject.UseMinDriveSpace); }
    HRESULT SetUseMinDriveSpace(VBOOL v) override { return SetField(FProject.UseMinDriveSpace, v); }
    HRESULT GetUseMaxLevelCount(VBOOL* v) override { return GetField(v, FProject.UseMaxLevelCount); }
    HRESULT SetUseMaxLevelCount(VBOOL v) override { return SetField(FProject.UseMaxLevelCount, v); }
    HRESULT GetUseMaxProjSize(VBOOL* v) override { return GetField(v, FProject.UseMaxProjSize); }
    HRESULT SetUseMaxProjSize(VBOOL v) override { return SetField(FProject.UseMaxProjSize, v); }
    HRESULT GetDownloadBckgrds(VBOOL* v) override { return GetField(v, FProject.DownloadBckgrds); }
    HRESULT SetDownloadBckgrds(VBOOL v) override { return SetField(FProject.DownloadBckgrds, v); }
    HRESULT GetFollowExternalLinks(VBOOL* v) override { return GetField(v, FProject.FollowExternalLinks); }
    HRESULT SetFollowExternalLinks(VBOOL v) override { return SetField(FProject.FollowExternalLinks, v); }
    HRESULT GetSpareFlag(VBOOL* v) override { return GetField(v, FProject.SpareFlag); }
    HRESULT SetSpareFlag(VBOOL v) override { return SetField(FProject.SpareFlag, v); }
    HRESULT GetUseMaxExternalLevelCount(VBOOL* v) override { return GetField(v, FProject.UseMaxExternalLevelCount); }
    HRESULT SetUseMaxExternalLevelCount(VBOOL v) override { return SetField(FProject.UseMaxExternalLevelCount, v); }
    HRESULT GetFollowExternalImages(VBOOL* v) override { return GetField(v, FProject.FollowExternalImages); }
    HRESULT SetFollowExternalImages(VBOOL v) override { return SetField(FProject.FollowExternalImages, v); }

    // These two slots report no result code.
    VBOOL RewritesLinks() override { return FProject.RewritesLinks() ? 1 : 0; }
    void InvalidCharReplacement(BSTR* text) override {
        if (!text) return;
        // Nothing may unwind into plugin code: without memory the text is empty.
        if (Failed(GetField(text, FProject.InvalidCharReplacement()))) *text = nullptr;
    }

private:
    TDownloadProject& FProject;
};

} // namespace

IDownLoadProject* CreateDownloadProjectAdapter(TDownloadProject& project) {
    return new TDownloadProjectAdapter(project);
}

} // namespace vorlin
