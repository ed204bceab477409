// The update checker's texts: the status messages 400-405 and the tags
// 7000-7499 of its controls (the main window's update commands and the
// "Update Download" dialog).
#pragma once

namespace vorlin::update {

enum TUpdateTag : int {
    tgCheckForUpdate = 7000,      // "Check for Update"
    tgProgramUpdate = 7002,       // "Programm Updaten"
    tgUpdateDownloadForm = 7100,  // "Update Download"
    tgUpdateButtonCancel = 7102,  // "Ab&brechen"
    tgUpdateButtonOk = 7104,      // "&OK"
    tgAskDownload = 7200,         // "Möchten Sie das Update herunterladen?"
    tgChangesTitle = 7202,        // "Änderungen durch Update auf Version %s"
};

// Adds the built-in texts (once; later calls do nothing).
void AddUpdateTexts();

} // namespace vorlin::update
