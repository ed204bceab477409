#include "app/MainWindowTexts.h"

#include "app/texts/Texts.h"

#include <mutex>

namespace vorlin::app {

void AddMainWindowTexts() {
    static std::once_flag once;
    std::call_once(once, [] {
        AddBuiltinTexts({
            {mtLoadingProjects, "Lade Projekte"},
            {mtSavingProjects, "Speichere Projekte"},
            {mtSameCaption, "Entry with the same caption already exists!"},
            {mtDeleteTemplate, "Do you really want to delete this template?"},
            {mtDeleteDownloaded, "Do you want to delete the downloaded files also?"},
            {mtDeleteFolder, "All projects in the selected folder will be deleted! Also delete all downloaded "
                             "files belonging to these projects?"},
            {mtNoProjectSelected, "Es wurde noch kein Projekt ausgewählt!"},
            {mtDownloadRunning, "Ein Download läuft noch, wollen sie diesen abbrechen?"},
            {mtQueueingFailed, "Queueing of %s failed, can not find that project!"},
            {mtNeverRun, "noch nie"},
            {mtNewProject, "Neues Projekt"},
            {mtNewFolder, "Neuer Ordner"},
            {mtNewTemplate, "Neue Vorlage"},
            {mtTopProjects, "Projects"},
            {mtTopQuickProjects, "Quick Projects"},
            {mtTopTemplates, "Templates"},
            {mtColName, "Name"},
            {mtColSize, "Größe"},
            {mtColLastUpdate, "Letztes Update am"},
            {mtColProjects, "Projects"},
            {mtColUpdated, "Updated"},
            {mtColStructure, "Structure"},
            {mtColFilesize, "Filesize"},
            {mtColDLStatus, "D/L Status"},
            {mtNoScheduler, "Es ist kein Zeitplaner installiert. Ein Projekt lässt sich von cron oder einem "
                            "systemd-Timer aus einreihen, solange HTTPVorlin läuft:\n\n    vorlin queue \"%s\""},
            {mtSchedulerDidNotStart, "Der Zeitplaner %s hat sich nicht gemeldet."},
            {mtLogFilter, "Log-Files (*.log)"},
            {mtSaveLogFailed, "Das Protokoll konnte nicht gespeichert werden: %s"},
            {mtConnections, "Verbindungen: %d"},
            {mtProjectHasNoData, "Die Projektdatei konnte nicht gelesen werden; das Projekt bleibt unverändert."},
            {mtTrayTip, "HTTP Vorlin"},
            {mtOptionsLater, "Die Projekt-Eigenschaften kommen mit einer späteren Version."},
            {mtUrlExists, "Die angegebene URL existiert bereits, wollen sie das zugehörige Projekt starten?"},
            {mtUrlCaption, "URL festlegen"},
            {mtUrlPrompt, "Bitte Adresse eingeben"},
            {mtUrlSure, "Sind sie sicher, daß die angegebene URL richtig ist?"},
            {mtNoTemplateYet, "Es existiert noch keine Vorlage, wollen sie eine anlegen?"},
            {mtTemplateNameCaption, "Namen der Vorlage festlegen"},
            {mtTemplateNamePrompt, "Bitte Namen der Vorlage eingeben"},
            {mtTargetDirPrompt, "Bitte Zielverzeichnis eingeben!"},
            {mtProjectNameCaption, "Projektnamen festlegen"},
            {mtProjectNamePrompt, "Bitte Projektnamen eingeben"},
            {ptNumber, "Nr."},
            {ptStatus, "Status"},
            {ptURL, "URL"},
            {ptSize, "Größe"},
            {ptProgress, "Fortschritt"},
            // Controls: caption, hint.
            {tgForm, "HTTP Vorlin"},
            {tgNewProject, "Neues Projekt"}, {tgNewProject + 1, "Legt ein neues Projekt an"},
            {tgNewProjFromTemplate, "Neues Projekt aus Vorlage"},
            {tgNewProjFromTemplate + 1, "Legt ein Projekt aus einer Vorlage an"},
            {tgNewDirectory, "Neues Verzeichnis"}, {tgNewDirectory + 1, "Legt einen neuen Ordner an"},
            {tgNewTemplate, "Neue Vorlage"}, {tgNewTemplate + 1, "Legt eine neue Vorlage an"},
            {tgDeleteProj, "Löschen"}, {tgDeleteProj + 1, "Löscht den ausgewählten Eintrag"},
            {tgRename, "Umbenennen"}, {tgRename + 1, "Benennt den ausgewählten Eintrag um"},
            {tgProperties, "Eigenschaften"}, {tgProperties + 1, "Einstellungen des Projekts"},
            {tgPutInQueue, "In Warteschlange stellen"}, {tgPutInQueue + 1, "Stellt das Projekt in die Warteschlange"},
            {tgDeleteFromQueue, "Aus Warteschlange löschen"},
            {tgDeleteFromQueue + 1, "Nimmt die ausgewählten Projekte aus der Warteschlange"},
            {tgQueuePosUp, "Eine Position nach oben"}, {tgQueuePosUp + 1, "Rückt das Projekt nach vorn"},
            {tgQueuePosDown, "Eine Position nach unten"}, {tgQueuePosDown + 1, "Rückt das Projekt nach hinten"},
            {tgStartDownload, "Download starten"}, {tgStartDownload + 1, "Startet oder setzt den Download fort"},
            {tgPauseDownload, "Download anhalten"}, {tgPauseDownload + 1, "Hält den Download an"},
            {tgStopDownload, "Download abbrechen"}, {tgStopDownload + 1, "Bricht den Download ab"},
            {tgQueueStopped, "Warteschlange stoppen"},
            {tgQueueStopped + 1, "Nach einem Download wird kein weiteres Projekt begonnen"},
            {tgShowInformation, "Projekt-Statistik"}, {tgShowInformation + 1, "Zeigt die Statistik des Projekts"},
            {tgShowStructure, "Struktur anzeigen"}, {tgShowStructure + 1, "Auswahl der Dateien des Projekts"},
            {tgOpenInBrowser, "In Browser öffnen"}, {tgOpenInBrowser + 1, "Zeigt die Kopie im Browser"},
            {tgProjectReset, "Reset Data"}, {tgProjectReset + 1, "Löscht die gesammelten Links und die Statistik"},
            {tgSchedule, "Schedule"}, {tgSchedule + 1, "Übergibt das Projekt dem Zeitplaner"},
            {tgMonitorClipboard, "Monitor Clipboard"}, {tgMonitorClipboard + 1, "Reagiert auf kopierte URLs"},
            {tgStructureClear, "Clear Structure Window"}, {tgStructureClear + 1, "Leert die Strukturansicht"},
            {tgStructureShowURLInBrowser, "Show this URL in your Browser"},
            {tgStructureCopyURL, "Copy URL to Clipboard"},
            {tgStructureShowAfterDownload, "Show this File after Download"},
            {tgProgrListShowURLInBrowser, "URL in Browser öffnen"},
            {tgProgrListCopyURL, "URL in Zwischenablage kopieren"},
            {tgProgrListCancelDownload, "Abbrechen"},
            {tgProgrListCancelDownloadRetry, "Abbrechen und wiederholen"},
            {tgCopy, "&Copy"}, {tgSaveAs, "&Save As ..."},
            {tgMinimize, "Minimize"}, {tgMaximize, "Maximize"},
            {tgSettings, "Einstellungen"}, {tgSettings + 1, "Programmeinstellungen"},
            {tgEnableDocking, "Enable Docking"},
            {tgAutoCheckUpdate, "Automatisch nach Updates suchen"},
            {tgExit, "Beenden"},
            {tgMenuProject, "&Projekt"}, {tgMenuQueue, "&Warteschlange"}, {tgMenuDownload, "&Download"},
            {tgMenuExtras, "&Extras"}, {tgMenuLanguages, "Sprachen"}, {tgMenuHelp, "&Hilfe"},
            {tgMenuBookmarks, "&Bookmarks"},
            {tgUrlLabel, "URL:"}, {tgDownloadedLabel, "Heruntergeladen:"}, {tgFilteredOutLabel, "Herausgefiltert:"},
            {tgRemainingLabel, "Verbleibend:"}, {tgLinksFoundLabel, "Links gefunden:"},
            {tgSynchronizedLabel, "Synchronisiert:"},
            {tgBoxProjects, "Projekte"}, {tgBoxQueue, "Warteschlange"}, {tgBoxStructure, "Struktur"},
            {tgBoxConnections, "Verbindungen"}, {tgBoxLog, "Protokoll"}, {tgBoxProgress, "Fortschritt"},
            {tgShowDebugLog, "Possible Bug Window"},
            {tgViewThroughServer, "In Browser öffnen"},
            {tgViewThroughServer + 1, "Zeigt die Kopie über den Web-Server (webserv) im Browser"},
            {tgViewFromDisk, "In Browser öffnen"},
            {tgViewFromDisk + 1, "Öffnet die erste gespeicherte Seite der Kopie im Browser"},
            {tgViewedThroughServer, "Ansicht über den Web-Server: %s"},
            {tgViewedFromDisk, "Ansicht der gespeicherten Seite: %s"},
            {tgNothingStoredYet, "Von diesem Projekt ist noch keine Seite gespeichert."},
            {tgProjectFromClipboard, "Projekt aus der Zwischenablage angelegt: %s"},
        });
    });
}

std::string FormatText(int number, std::initializer_list<std::string> args) {
    const std::string text = Text(number);
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == 's' || text[i + 1] == 'd') && next != args.end()) {
            out += *next++;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace vorlin::app
