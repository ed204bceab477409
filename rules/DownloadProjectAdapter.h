// The plugin-facing object of a project (IDownLoadProject): a
// reference-counted wrapper, created for each call that hands the project to
// a plugin, through which the plugin reads and changes the project's settings
// and statistics at once. It does not own the project.
#pragma once

#include "plugins/sdk/VorlinPlugin.h"

namespace vorlin {

class TDownloadProject;

// A new adapter holding one reference for the caller.
vorlin_sdk::IDownLoadProject* CreateDownloadProjectAdapter(TDownloadProject& project);

} // namespace vorlin
