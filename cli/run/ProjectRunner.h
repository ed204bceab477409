// One download of one project from the command line: the plugins set up
// for it, the run started and its messages served on this thread until it
// has ended, the project file saved with the run's statistics.
#pragma once

#include "cli/run/RunOptions.h"

#include <string>

namespace vorlin {
class TDownloadProject;
struct TProgramSettings;
}

namespace vorlin::cli {

struct TRunRequest {
    std::string Home;         // the program directory (passwords.lst)
    std::string ProjectFile;  // the ".prj"; the link data go beside it
    bool NewProject = false;  // switch on the plugins a new project starts with
    TVerbosity Verbosity = TVerbosity::vbNormal;
};

// Answers the exit status: kExitOk when the run completed, kExitFailure
// when it could not start or ended on an error.
int RunProject(TDownloadProject& project, const TProgramSettings& settings, const TRunRequest& request);

} // namespace vorlin::cli
