#include "update/UpdateTexts.h"

#include "app/texts/Texts.h"
#include "update/UpdateDownload.h"

namespace vorlin::update {

void AddUpdateTexts() {
    static bool added = false;
    if (added) return;
    added = true;
    app::AddBuiltinTexts({
        {utConnecting, "Verbinde mit Server"},
        {utConnected, "Verbunden, warte auf Anwort"},
        {utHeader, "Empfange Header"},
        {utReceiving, "Empfange Datei"},
        {utDone, "Fertig"},
        {utError, "Fehler: "},
        {tgCheckForUpdate, "Check for Update"},
        {tgCheckForUpdate + 1, "Fragt beim Update-Server nach einer neuen Version"},
        {tgProgramUpdate, "Programm Updaten"},
        {tgProgramUpdate + 1, "Lädt das Update herunter und installiert es"},
        {tgUpdateDownloadForm, "Update Download"},
        {tgUpdateButtonCancel, "Ab&brechen"},
        {tgUpdateButtonOk, "&OK"},
        {tgAskDownload, "Möchten Sie das Update herunterladen?"},
        {tgChangesTitle, "Änderungen durch Update auf Version %s"},
    });
}

} // namespace vorlin::update
