// The end-of-run repair of the stored pages' references (see
// links/ReferenceRepair.h): after the redirect copies, before the link data
// is saved, in every mode that rewrites links.
#include "engine/DownloadRun.h"

#include "project/DownloadProject.h"

namespace vorlin {

void TDownloadRun::RepairStoredReferences() {
    if (!FProject.RewritesLinks()) {
        FRepairs.Clear();
        return;
    }
    try {
        FRepairs.Run(FProject, [this](const std::string& line) { FReport.PostError(line); });
    } catch (const std::exception& e) {
        FReport.PostError(std::string("TDownloadThread.RepairStoredReferences\n") + e.what());
    }
}

} // namespace vorlin
