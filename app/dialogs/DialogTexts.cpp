#include "app/dialogs/DialogTexts.h"

#include "app/texts/Texts.h"

#include <mutex>

namespace vorlin::app {

void AddDialogTexts() {
    static std::once_flag added;
    std::call_once(added, [] {
        AddBuiltinTexts({
            {tgSettingsForm, "Einstellungen"},
            {tgSettingsOk, "&OK"},
            {tgSettingsCancel, "Ab&brechen"},
            {tgBookmarkImport, "Bookmark Import"},
            {tgNetscape, "Netscape"},
            {tgInternetExplorer, "Internet Explorer"},
            {tgBehaviour, "Behaviour"},
            {tgClipboard, "Clipboard"},
            {tgIdentification, "Identification"},
            {tgAutoSave, "AutoSave"},
            {tgConnection, "Connection"},
            {tgProxy, "Proxy"},
            {tgTimeouts, "Timeouts"},
            {tgInternetConnection, "Internet Connection"},
            {tgAdvanced, "Advanced"},
            {tgDownloadDirectory, "Download Directory"},
            {tgBookmSource, "Lesezeichen aus"},
            {tgBookmNetscpDir, "Use Netscape Directory: "},
            {tgBookmUserSelect, "Folgenden Benutzer verwenden:"},
            {tgBookmOther, "Anderes Verzeichnis der bookmark.htm:"},
            {tgBookmOtherBrowse, "..."},
            {tgLoadBookmOnStartUp, "Lesezeichen beim Programmstart laden"},
            {tgFavSource, "Favoriten aus"},
            {tgFavStandard, "Use Standard Directory: "},
            {tgFavOther, "Anderes Verzeichnis:"},
            {tgFavOtherBrowse, "..."},
            {tgLoadFavOnStartUp, "Favoriten beim Programmstart importieren"},
            {tgClipboardEnabled, "Reagieren auf Kopieren von URLs in die Zwischenblage"},
            {tgClipboardType, "Reaktion"},
            {tgClipboardSilent, "Stilles Erstellen eines Projektes ohne Vorlage"},
            {tgClipboardTemplate, "Erstellen eines Projektes nur durch Abfrage einer Vorlage"},
            {tgClipboardNew, "Erstellen eines komplett neuen Projekts"},
            {tgIdentifyAs, "Gegenüber Servern ausgeben als:"},
            {tgAutosaveEnabled, "Automatically save a project during download every n minutes"},
            {tgAutosaveMinutes, "Minuten:"},
            {tgUseProxy, "Proxy-Server benutzen"},
            {tgProxyServer, "Server:"},
            {tgProxyPort, "Port:"},
            {tgProxyUserName, "Benutzername:"},
            {tgProxyPassword, "Passwort:"},
            {tgTimeOutEnabled, "Timeouts Einschalten"},
            {tgTimeOutLength, "Zeit bis Timeout erfolgt:"},
            {tgTimeOutSeconds, "Sekunden"},
            {tgNumberOfTries, "Nummer von Versuchen:"},
            {tgConnType, "Verbindungsart"},
            {tgConnDirect, "Direct Connection to the Internet"},
            {tgConnDialUp, "Use Windows Dial-Up Networking"},
            {tgConnOther, "Use other Software for Connection"},
            {tgDialUp, "DFÜ-Verbindung"},
            {tgDialUpEntry, "Eintrag:"},
            {tgDialUpUserName, "Benutzername:"},
            {tgDialUpPassword, "Passwort:"},
            {tgOtherSoftware, "Andere Software"},
            {tgConnScript, "Programm zum Verbinden:"},
            {tgConnScriptBrowse, "..."},
            {tgDisConnScript, "Programm zum Trennen:"},
            {tgDisConnScriptBrowse, "..."},
            {tgDisConnWndName, "Zum Trennen zu schließendes Fenster:"},
            {tgDefaultDownloadDir, "Standard-Downloadverzeichnis:"},
            {tgAlwaysUseDefaultDir,
             "Bei der Erstellung eines Projektes aus einer Vorlage immer als Zielverzeichnis verwenden"},

            {smChooseDirectory, "Verzeichnis auswählen"},
            {smChooseFile, "Datei auswählen"},
            {smBookmarkFiles, "Lesezeichen (*.htm *.html);;Alle Dateien (*)"},
            {smPrograms, "Alle Dateien (*)"},
            {smNotFound, "(nicht gefunden)"},

            {tgInformationForm, "Projekt-Statistik"},
            {tgAverageCPS, "Durchschnittliche Übertragungsrate"},
            {tgPeekCPS, "Übertragungsraten Spitze"},
            {tgFileCount, "Dateien insgesamt"},
            {tgFilteredOutCount, "Herausgefilterte Dateien"},
            {tgDownloadedCount, "Heruntergeladene Dateien"},
            {tgLastDuration, "Letzte Download-Dauer"},
            {tgProjectSize, "Heruntergeladene KBs"},
            {tgInformationReset, "Zurücksetzen"},
            {tgInformationClose, "&OK"},

            {tgSelectLinksForm, "Links of %s"},
            {tgSelectMask, "M&aske (z.B. *.zip oder te?s*d.exe)"},
            {tgSelectCaseSensitive, "&Groß-/Kleinschreibung"},
            {tgSelectApplyMask, "Über&nehmen"},
            {tgSelectAll, "Select All"},
            {tgSelectOk, "&OK"},
            {tgSelectCancel, "Ab&brechen"},
            {tgColumnURL, "URL"},
            {tgColumnLevel, "Level"},

            {tgSelectFilesForm, "Auswahl der Dateien"},
            {tgColumnStructure, "Structure"},
            {tgColumnSize, "Filesize"},
            {tgLoadingStructure, "Loading Structure..."},

            {tgAuthorizationForm, "Authorization required"},
            {tgAuthRealm, "Realm:"},
            {tgAuthURL, "URL:"},
            {tgAuthUserName, "Benutzername:"},
            {tgAuthPassword, "Passwort:"},
            {tgAuthOk, "&OK"},
            {tgAuthCancel, "Ab&brechen"},

            {tgClosingForm, "Closing Download"},
            {tgShutdownInitiated, "Shutdown initiated"},
        });
    });
}

QString DialogText(int number) { return QString::fromStdString(Text(number)); }

} // namespace vorlin::app
