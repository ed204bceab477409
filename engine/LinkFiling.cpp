#include "engine/LinkFiling.h"

#include "project/DownloadProject.h"
#include "project/LinkStateList.h"

namespace vorlin {

namespace {

void FileIn(TLinkStateList& list, TLinkStateList& other, TDownloadLink& link) {
    if (other.Contains(&link)) other.Remove(&link);
    if (!list.Contains(&link)) list.Add(&link);
}

} // namespace

void FileDownloaded(TDownloadProject& project, TDownloadLink& link) {
    FileIn(*project.Downloaded, *project.FilteredOut, link);
}

void FileFilteredOut(TDownloadProject& project, TDownloadLink& link) {
    FileIn(*project.FilteredOut, *project.Downloaded, link);
}

bool Unfile(TDownloadProject& project, TDownloadLink& link) {
    bool listed = false;
    if (project.Downloaded->Contains(&link)) {
        project.Downloaded->Remove(&link);
        listed = true;
    }
    if (project.FilteredOut->Contains(&link)) {
        project.FilteredOut->Remove(&link);
        listed = true;
    }
    return listed;
}

} // namespace vorlin
