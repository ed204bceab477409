// Filing a link of the run in its final state. A link is in at most one of
// the project's two lists (downloaded, filtered out) at any time, so that
// their counts always add up to the links that are done.
#pragma once

namespace vorlin {

class TDownloadLink;
class TDownloadProject;

// Adds the link to the downloaded list (State lsDownloaded), taking it out
// of the filtered-out list; nothing when it is listed as downloaded already.
void FileDownloaded(TDownloadProject& project, TDownloadLink& link);
// The same for the filtered-out list (State lsFilteredOut).
void FileFilteredOut(TDownloadProject& project, TDownloadLink& link);
// Takes the link out of both lists; true when it was in one.
bool Unfile(TDownloadProject& project, TDownloadLink& link);

} // namespace vorlin
