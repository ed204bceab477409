// The main window's texts: its messages (block 0-48), the captions of the
// progress list (200-204) and the tags of its controls (3000-3999, caption
// = tag, hint = tag + 1). AddMainWindowTexts() puts the built-in German
// texts into the table once; every use reads Text(number), so a language
// loaded later only has to fill the table.
#pragma once

#include <string>

namespace vorlin::app {

enum TMainText : int {
    mtLoadingProjects = 0,        // "Lade Projekte"
    mtSavingProjects = 1,         // "Speichere Projekte"
    mtSameCaption = 2,            // "Entry with the same caption already exists!"
    mtDeleteTemplate = 3,         // "Do you really want to delete this template?"
    mtDeleteDownloaded = 4,       // "Do you want to delete the downloaded files also?"
    mtDeleteFolder = 5,           // "All projects in the selected folder will be deleted! ..."
    mtNoProjectSelected = 6,      // "Es wurde noch kein Projekt ausgewählt!"
    mtDownloadRunning = 7,        // "Ein Download läuft noch, wollen sie diesen abbrechen?"
    mtQueueingFailed = 8,         // "Queueing of %s failed, can not find that project!"
    mtNeverRun = 9,               // "noch nie"
    mtNewProject = 10,            // "Neues Projekt"
    mtNewFolder = 11,             // "Neuer Ordner"
    mtNewTemplate = 12,           // "Neue Vorlage"
    mtTopProjects = 13,           // "Projects"
    mtTopQuickProjects = 14,      // "Quick Projects"
    mtTopTemplates = 15,          // "Templates"
    mtColName = 16,               // queue: "Name"
    mtColSize = 17,               // queue: "Größe"
    mtColLastUpdate = 18,         // queue: "Letztes Update am"
    mtColProjects = 19,           // project tree: "Projects"
    mtColUpdated = 20,            // project tree: "Updated"
    mtColStructure = 21,          // structure: "Structure"
    mtColFilesize = 22,           // structure: "Filesize"
    mtColDLStatus = 23,           // structure: "D/L Status"
    mtNoScheduler = 25,           // how to schedule without a scheduler program
    mtSchedulerDidNotStart = 26,  // the scheduler program did not come up
    mtLogFilter = 27,             // "Log-Files (*.log)"
    mtSaveLogFailed = 28,         // "The log could not be saved: %s"
    mtConnections = 33,           // "Verbindungen: %d"
    mtProjectHasNoData = 35,      // "The project file could not be read; ..."
    mtTrayTip = 36,               // tray icon tool tip
    mtOptionsLater = 37,          // the options dialog is not there yet
    mtUrlExists = 38,             // "Die angegebene URL existiert bereits, ..."
    mtUrlCaption = 39,            // "URL festlegen"
    mtUrlPrompt = 40,             // "Bitte Adresse eingeben"
    mtUrlSure = 41,               // "Sind sie sicher, daß die angegebene URL richtig ist?"
    mtNoTemplateYet = 42,         // "Es existiert noch keine Vorlage, wollen sie eine anlegen?"
    mtTemplateNameCaption = 43,   // "Namen der Vorlage festlegen"
    mtTemplateNamePrompt = 44,    // "Bitte Namen der Vorlage eingeben"
    mtTargetDirPrompt = 45,       // "Bitte Zielverzeichnis eingeben!"
    mtProjectNameCaption = 46,    // "Projektnamen festlegen"
    mtProjectNamePrompt = 47,     // "Bitte Projektnamen eingeben"
};

// Progress list column captions.
enum TProgressText : int { ptNumber = 200, ptStatus = 201, ptURL = 202, ptSize = 203, ptProgress = 204 };

// Control tags of the main window (even numbers).
enum TMainTag : int {
    tgForm = 3000,
    tgNewProject = 3002,
    tgNewProjFromTemplate = 3004,
    tgNewDirectory = 3006,
    tgNewTemplate = 3008,
    tgDeleteProj = 3010,
    tgRename = 3012,
    tgProperties = 3014,
    tgPutInQueue = 3016,
    tgDeleteFromQueue = 3018,
    tgQueuePosUp = 3020,
    tgQueuePosDown = 3022,
    tgStartDownload = 3024,
    tgPauseDownload = 3026,
    tgStopDownload = 3028,
    tgQueueStopped = 3030,
    tgShowInformation = 3032,
    tgShowStructure = 3034,
    tgOpenInBrowser = 3036,
    tgProjectReset = 3038,
    tgSchedule = 3040,
    tgMonitorClipboard = 3042,
    tgStructureClear = 3044,
    tgStructureShowURLInBrowser = 3046,
    tgStructureCopyURL = 3048,
    tgStructureShowAfterDownload = 3050,
    tgProgrListShowURLInBrowser = 3052,
    tgProgrListCopyURL = 3054,
    tgProgrListCancelDownload = 3056,
    tgProgrListCancelDownloadRetry = 3058,
    tgCopy = 3060,
    tgSaveAs = 3062,
    tgMinimize = 3064,
    tgMaximize = 3066,
    tgSettings = 3068,
    tgEnableDocking = 3070,
    tgAutoCheckUpdate = 3072,
    tgExit = 3074,
    tgMenuProject = 3100,
    tgMenuQueue = 3102,
    tgMenuDownload = 3104,
    tgMenuExtras = 3106,
    tgMenuLanguages = 3108,  // "Sprachen"
    tgMenuHelp = 3110,
    tgMenuBookmarks = 3112,
    tgUrlLabel = 3120,
    tgDownloadedLabel = 3122,
    tgFilteredOutLabel = 3124,
    tgRemainingLabel = 3126,
    tgLinksFoundLabel = 3128,
    tgSynchronizedLabel = 3130,
    tgBoxProjects = 3200,
    tgBoxQueue = 3202,
    tgBoxStructure = 3204,
    tgBoxConnections = 3206,
    tgBoxLog = 3208,
    tgBoxProgress = 3210,
    tgShowDebugLog = 3212,
    // Viewing a project: the hint of acOpenInBrowser says which way it
    // shows the copy; the status bar says what it opened.
    tgViewThroughServer = 3214,
    tgViewFromDisk = 3216,
    tgViewedThroughServer = 3218,  // "... %s" (the URL)
    tgViewedFromDisk = 3220,       // "... %s" (the file)
    tgNothingStoredYet = 3222,
    tgProjectFromClipboard = 3224,  // "... %s" (the node path)
};

// Puts the built-in texts of this window into the text table (once).
void AddMainWindowTexts();

// Text number n with its "%s" / "%d" placeholders replaced in order.
std::string FormatText(int number, std::initializer_list<std::string> args);

} // namespace vorlin::app
