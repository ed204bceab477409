// The numbered texts of the dialogs: the tags of their controls (caption =
// text tag, hint = text tag + 1; 4000-4499 the settings dialog, 4500-4999
// the other dialogs of the main window) and the settings dialog's messages
// (1000-1004). The built-in texts are added once, by the first dialog made.
#pragma once

#include <QString>

namespace vorlin::app {

void AddDialogTexts();
// A numbered text as Qt wants it.
QString DialogText(int number);

enum TSettingsTag : int {
    tgSettingsForm = 4000,
    tgSettingsOk = 4002,
    tgSettingsCancel = 4004,
    // The tree of pages.
    tgBookmarkImport = 4010,
    tgNetscape = 4012,
    tgInternetExplorer = 4014,
    tgBehaviour = 4016,
    tgClipboard = 4018,
    tgIdentification = 4020,
    tgAutoSave = 4022,
    tgConnection = 4024,
    tgProxy = 4026,
    tgTimeouts = 4028,
    tgInternetConnection = 4030,
    tgAdvanced = 4032,
    tgDownloadDirectory = 4034,
    // Netscape
    tgBookmSource = 4040,
    tgBookmNetscpDir = 4042,
    tgBookmUserSelect = 4044,
    tgBookmOther = 4046,
    tgBookmOtherBrowse = 4048,
    tgLoadBookmOnStartUp = 4050,
    // Internet Explorer
    tgFavSource = 4060,
    tgFavStandard = 4062,
    tgFavOther = 4064,
    tgFavOtherBrowse = 4066,
    tgLoadFavOnStartUp = 4068,
    // Clipboard
    tgClipboardEnabled = 4070,
    tgClipboardType = 4072,
    tgClipboardSilent = 4074,
    tgClipboardTemplate = 4076,
    tgClipboardNew = 4078,
    // Identification, AutoSave
    tgIdentifyAs = 4080,
    tgAutosaveEnabled = 4090,
    tgAutosaveMinutes = 4092,
    // Proxy
    tgUseProxy = 4100,
    tgProxyServer = 4102,
    tgProxyPort = 4104,
    tgProxyUserName = 4106,
    tgProxyPassword = 4108,
    // Timeouts
    tgTimeOutEnabled = 4110,
    tgTimeOutLength = 4112,
    tgTimeOutSeconds = 4114,
    tgNumberOfTries = 4116,
    // Internet Connection
    tgConnType = 4120,
    tgConnDirect = 4122,
    tgConnDialUp = 4124,
    tgConnOther = 4126,
    tgDialUp = 4130,
    tgDialUpEntry = 4132,
    tgDialUpUserName = 4134,
    tgDialUpPassword = 4136,
    tgOtherSoftware = 4140,
    tgConnScript = 4142,
    tgConnScriptBrowse = 4144,
    tgDisConnScript = 4146,
    tgDisConnScriptBrowse = 4148,
    tgDisConnWndName = 4150,
    // Download Directory
    tgDefaultDownloadDir = 4160,
    tgAlwaysUseDefaultDir = 4162,
};

// The settings dialog's messages.
enum TSettingsMessage : int {
    smChooseDirectory = 1000,
    smChooseFile = 1001,
    smBookmarkFiles = 1002,
    smPrograms = 1003,
    smNotFound = 1004,
};

enum TDialogTag : int {
    // Statistics
    tgInformationForm = 4500,
    tgAverageCPS = 4502,
    tgPeekCPS = 4504,
    tgFileCount = 4506,
    tgFilteredOutCount = 4508,
    tgDownloadedCount = 4510,
    tgLastDuration = 4512,
    tgProjectSize = 4514,
    tgInformationReset = 4516,
    tgInformationClose = 4518,
    // Half-automatic selection
    tgSelectLinksForm = 4530,
    tgSelectMask = 4532,
    tgSelectCaseSensitive = 4534,
    tgSelectApplyMask = 4536,
    tgSelectAll = 4538,
    tgSelectOk = 4540,
    tgSelectCancel = 4542,
    tgColumnURL = 4544,
    tgColumnLevel = 4546,
    // File selection
    tgSelectFilesForm = 4560,
    tgColumnStructure = 4562,
    tgColumnSize = 4564,
    tgLoadingStructure = 4566,
    // Authorization
    tgAuthorizationForm = 4600,
    tgAuthRealm = 4602,
    tgAuthURL = 4604,
    tgAuthUserName = 4606,
    tgAuthPassword = 4608,
    tgAuthOk = 4610,
    tgAuthCancel = 4612,
    // Closing Download
    tgClosingForm = 4620,
    tgShutdownInitiated = 4622,
};

} // namespace vorlin::app
