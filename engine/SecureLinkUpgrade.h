// Link data written before https was fetched kept every "https://" link as
// a link of another scheme, its whole address as its server. A run turns
// such links into links of the http family, so that an update fetches them.
#pragma once

namespace vorlin {

class TDownloadProject;

// Answers how many links were turned. Only links whose stored address is
// what the link parser would file today (already encoded, a path after the
// host, no fragment) are turned: they keep their place in the URL tree.
int UpgradeSecureLinks(TDownloadProject& project);

} // namespace vorlin
