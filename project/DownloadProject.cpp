#include "project/DownloadProject.h"

#include "project/DownloadLinks.h"
#include "project/LinkStateList.h"
#include "project/LinkVotes.h"

namespace vorlin {

TDownloadProject::TDownloadProject()
    : Links(std::make_unique<TDownloadLinks>(this)),
      FilteredOut(std::make_unique<TFilteredOutList>()),
      Downloaded(std::make_unique<TDownloadedList>()),
      Plugins(&NoPluginVotes()) {}

TDownloadProject::~TDownloadProject() {
    // The state lists point into the link list: empty them first.
    Downloaded->Clear();
    FilteredOut->Clear();
    Links->Clear();
}

void TDownloadProject::Assign(const TDownloadProject& source) {
    if (&source == this) {
        IsNew = false;
        return;
    }
    UseMaxFileSize = source.UseMaxFileSize;
    UseMinFileSize = source.UseMinFileSize;
    UseMaxFileCount = source.UseMaxFileCount;
    UseMinDriveSpace = source.UseMinDriveSpace;
    UseMaxLevelCount = source.UseMaxLevelCount;
    UseMaxProjSize = source.UseMaxProjSize;
    DownloadBckgrds = source.DownloadBckgrds;
    FollowExternalLinks = source.FollowExternalLinks;
    SpareFlag = source.SpareFlag;
    UseMaxExternalLevelCount = source.UseMaxExternalLevelCount;
    FollowExternalImages = source.FollowExternalImages;
    UseAutentfication = source.UseAutentfication;
    ResetOnProjStart = source.ResetOnProjStart;
    MirroringChangeQ = source.MirroringChangeQ;
    Manners = source.Manners;
    URL = source.URL;
    Destination = source.Destination;
    MaxFileSize = source.MaxFileSize;
    MinFileSize = source.MinFileSize;
    MaxExternalLevelCount = source.MaxExternalLevelCount;
    MaxFileCount = source.MaxFileCount;
    MinDriveSpace = source.MinDriveSpace;
    MaxLevelCount = source.MaxLevelCount;
    MaxProjSize = source.MaxProjSize;
    ExcludeList = source.ExcludeList;
    ProjectMode = source.ProjectMode;
    InvalidCharMode = source.InvalidCharMode;
    ScopeMode = source.ScopeMode;
    UserName = source.UserName;
    Password = source.Password;
    IsNew = false;
}

std::string TDownloadProject::InvalidCharReplacement() const {
    if (ProjectMode != pmMirror) return ",";
    switch (InvalidCharMode) {
    case icDontFollow:
        return std::string();
    case icReplace:
        return MirroringChangeQ;
    case icComma:
        return ",";
    }
    return ",";
}

} // namespace vorlin
