// Local names of links below the project's target directory: the
// replacement text for characters a file name can't hold, the shortening of
// names that would pass the path-length limit, and the relative reference
// from one stored page to another stored file.
#pragma once

#include <string>

namespace vorlin {

class TDownloadLink;
class TDownloadProject;

// The text put in place of characters a file name can't hold: "," unless the
// project mirrors; in mirror mode empty (don't follow such links), the
// project's MirroringChangeQ, or ",".
std::string InvalidCharReplacement(const TDownloadProject& project);

// The link's LocalFileName, cut so that TargetDir + LocalDir + name stays
// within 259 characters and made unique on its server with a suffix
// "000".."999"; unchanged when it fits.
std::string FitLocalName(const TDownloadLink& link, const TDownloadProject& project);

// The reference that leads from page's stored file to target's ("/"
// separated, target's Anchor appended): common leading directories dropped
// (compared without regard to case), one "../" per remaining directory of
// the page. A target whose name is still a directory ("dir\") is referred
// to by the "index.html" it will be stored as.
std::string LocalRelativeLink(const TDownloadLink& page, const TDownloadLink& target,
                              const TDownloadProject& project);
// The same path without fragment, to a target stored under the given local
// directory and local name.
std::string RelativeLocalPath(const TDownloadLink& page, const std::string& targetLocalDir,
                              const std::string& targetLocalFileName);

} // namespace vorlin
