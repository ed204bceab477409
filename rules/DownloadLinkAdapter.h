// The plugin-facing object of a link (IDownLoadLink): a reference-counted
// wrapper, created for each call that hands the link to a plugin. It reads
// and writes the link's fields (strings converted between UTF-8 and UTF-16)
// and calls the link's own checks; it does not own the link and takes no
// lock (a plugin locks through slots 41 and 42).
#pragma once

#include "plugins/sdk/VorlinPlugin.h"

namespace vorlin {

class TDownloadLink;

// A new adapter holding one reference for the caller.
vorlin_sdk::IDownLoadLink* CreateDownloadLinkAdapter(TDownloadLink& link);

} // namespace vorlin
