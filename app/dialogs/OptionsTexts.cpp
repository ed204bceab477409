#include "app/dialogs/OptionsTexts.h"

#include "app/texts/Texts.h"

#include <mutex>

namespace vorlin::app {

void AddOptionsTexts() {
    static std::once_flag added;
    std::call_once(added, [] {
        AddBuiltinTexts({
            {tgOptionsForm, "Eigenschaften"},
            {tgOptionsOk, "&OK"},
            {tgOptionsCancel, "Ab&brechen"},
            {tgGeneral, "General"},
            {tgProjectMode, "Project Mode"},
            {tgScope, "Scope"},
            {tgStartData, "Start Data"},
            {tgFilters, "Filters"},
            {tgFileExtensions, "File Extensions"},
            {tgLimits, "Limits"},
            {tgMisc, "Misc"},
            {tgAdvancedFilters, "Advanced Filters"},
            {tgPlugins, "Plugins"},
            {tgManners, "Umgangsformen"},

            {tgProjectModeGroup, "Projektmodus"},
            {tgOfflineBrowse, "Download zum Offlinebrowsen"},
            {tgMirror, "Spiegeln (Es werden keine Dateien modifiziert)"},
            {tgModeShowStructure, "Anzeigen der Struktur (Dabei werden nur die HTML Dateien geladen) "},
            {tgHalfAutomatic, "Halb-Automatik Modus"},
            {tgHalfAutomatic + 1, "Sie werden nach jeder HTML-Seite gefragt, welche Objekte geladen werden sollen"},
            {tgDontFollow, "Links mit ungültigen Zeichen nicht verfolgen"},
            {tgReplace, "Ungültige Zeichen in Links umwandeln in"},

            {tgScopeGroup, "Suchbereich"},
            {tgStayInDirectory, "In Startverzeichnis bleiben"},
            {tgStayOnServer, "Auf dem Startserver bleiben"},
            {tgStayInDomain, "In der Startdomain bleiben"},
            {tgScopeExtensions, "Erweiterungen des Suchbereichs"},
            {tgFollowExternalLinks, "Auch externe Links verfolgen (außerhalb des Servers/ Domain)"},
            {tgUseMaxExternalLevelCount, "Externe Links nur bis zu einer bestimmten Tiefe verfolgen"},
            {tgFollowExternalImages, "Bilder, die außerhalb des Suchbereichs liegen, in jedem Fall herunterladen"},

            {tgStartDataGroup, "Startdaten"},
            {tgURL, "URL:"},
            {tgDestination, "Zielverzeichnis:"},
            {tgDestinationBrowse, "..."},
            {tgAuthentication, "Username / Password"},
            {tgUseAutentfication, "Use Username / Password"},
            {tgUserName, "Username"},
            {tgPassword, "Password"},

            {tgExcludeCaption, "Dateien mit folgender Erweiterung nicht laden:"},
            {tgExcludeAdd, "&Hinzufügen"},
            {tgExcludeRemove, "&Entfernen"},

            {tgLimitsGroup, "Begrenzungen"},
            {tgUseMaxFileSize, "Maximale Dateigröße"},
            {tgMaxFileSizeUnit, "KB"},
            {tgUseMinFileSize, "Minimale Dateigröße"},
            {tgMinFileSizeUnit, "KB"},
            {tgUseMaxFileCount, "Nicht mehr als"},
            {tgMaxFileCountUnit, "Dateien herunterladen"},
            {tgUseMinDriveSpace, "Aufhören, wenn weniger als"},
            {tgMinDriveSpaceUnit, "KB auf der Festplatte verbleiben"},
            {tgUseMaxLevelCount, "Maximal"},
            {tgMaxLevelCountUnit, "Ebenen herunterladen"},
            {tgUseMaxProjSize, "Maximal"},
            {tgMaxProjSizeUnit, "KB herunterladen"},

            {tgJavaScriptGroup, "JavaScript"},
            {tgJsInterpret, "JavaScript interpretieren"},
            {tgJsIgnore, "JavaScript ignorieren"},
            {tgJsDelete, "JavaScript entfernen"},
            {tgMiscGroup, "Sonstiges"},
            {tgDownloadBckgrds, "Hintergründe laden"},
            {tgResetOnProjStart, "Reset Project´s data at Download Start (Useful for News-Sites)"},

            {tgAddRule, "&Add Rule"},
            {tgAddRule + 1, "This adds a filter rule"},
            {tgDeleteRule, "&Delete Rule"},
            {tgDeleteRule + 1, "This deletes filter rule"},
            {tgEditRule, "&Edit Rule"},
            {tgEditRule + 1, "This switches the selected rule to edit-mode"},
            {tgRulesUnreadable, "The rules file of this project could not be read; it is left as it is."},

            {tgConfigurePlugin, "Configure"},
            {tgShowPluginData, "Show Data"},

            {tgURLChangeWarning,
             "Es macht im allgemeinen keinen Sinn, die URL eines bereits heruntergeladenen Projektes nachträglich "
             "zu ändern! Falls sie trotzdem weitermachen wollen, sollten sie anschließend \"Projekt Daten "
             "zurücksetzen\" aus dem \"Projekte\"-Menü ausführen!"},

            {tgRuleForm, "Properties of this Filter Rule: "},
            {tgRuleConditions, "The following Conditions must be met:"},
            {tgRuleActions, "If Conditions are met, execute these Actions"},
            {tgRuleOk, "&OK"},
            {tgRuleCancel, "Ab&brechen"},
            {tgConditionForm, "Properties of this Condition"},
            {tgMaskAdd, "Ad&d"},
            {tgMaskRemove, "R&emove"},
            {tgMaskEdit, "&Edit"},
            {tgConditionAll, "All sub-conditions must be met (boolean AND)"},
            {tgConditionAny, "At least one of the sub-conditions must be met (boolean OR)"},
            {tgConditionNegate, "Negotiate the whole condition"},
            {tgConditionOk, "&OK"},
            {tgConditionCancel, "Ab&brechen"},
            {tgSizeGreater, "Filesize must be greater than (in KBytes)"},
            {tgSizeLess, "Filesize must be less than (in KBytes)"},
            {tgChooseFolder, "Ordner auswählen"},

            {tgServersGroup, "Rücksicht auf die Server"},
            {tgObeyRobots, "robots.txt beachten"},
            {tgObeyRobots + 1, "Was die robots.txt eines Servers verbietet, wird nicht heruntergeladen"},
            {tgRobotsIgnored, "Achtung: Dieses Projekt lädt auch, was die robots.txt der Server verbietet."},
            {tgWaitSeconds, "Pause zwischen Anfragen an einen Server:"},
            {tgWaitUnit, "Sekunden (0: keine)"},
            {tgRandomWait, "Zufällige Pausenlänge (0,5- bis 1,5-fach)"},
            {tgRandomWait + 1, "Jede Pause dauert zufällig das 0,5- bis 1,5-fache der eingestellten"},
            {tgLimitRate, "Übertragungsrate begrenzen auf:"},
            {tgLimitRateUnit, "KB/s (0: unbegrenzt)"},
            {tgCookiesGroup, "Cookies"},
            {tgLoadCookies, "Cookies laden aus:"},
            {tgLoadCookiesBrowse, "..."},
            {tgSaveCookies, "Cookies speichern in:"},
            {tgSaveCookiesBrowse, "..."},
            {tgKeepSessionCookies, "Sitzungscookies mitspeichern"},
            {tgKeepSessionCookies + 1, "Auch die Cookies speichern, die mit dem Ende der Sitzung verfallen"},
            {tgCookiesFiles, "Cookie-Dateien (*.txt);;Alle Dateien (*)"},
        });
    });
}

} // namespace vorlin::app
