#include "app/dialogs/TemplateTexts.h"

#include "app/texts/Texts.h"

#include <mutex>

namespace vorlin::app {

void AddTemplateDialogTexts() {
    static std::once_flag added;
    std::call_once(added, [] {
        AddBuiltinTexts({
            {tgTemplateForm, "Vorlageneinstellungen "},
            {tgTemplateListLabel, "Vorlage für das neue Projekt:"},
            {tgTemplateNew, "Neu"},
            {tgTemplateNew + 1, "Legt eine neue Vorlage an"},
            {tgTemplateOk, "&OK"},
            {tgTemplateCancel, "Ab&brechen"},
            {txSelectTemplateFirst, "Select a Template first!"},
            {tgTargetDirForm, "Zielverzeichnis"},
            {tgTargetDirLabel, "Bitte Zielverzeichnis eingeben!"},
            {tgTargetDirBrowse, "..."},
            {tgTargetDirBrowse + 1, "Verzeichnis auswählen"},
            {tgUseStandardDir, "Dieses Verzeichnis immer für Projekte aus einer Vorlage verwenden"},
            {tgUseStandardDir + 1, "Die nächsten Projekte aus einer Vorlage fragen nicht mehr nach dem Zielverzeichnis"},
            {tgTargetDirOk, "&OK"},
            {tgTargetDirCancel, "Ab&brechen"},
            {tgInputOk, "&OK"},
            {tgInputCancel, "Ab&brechen"},
        });
    });
}

} // namespace vorlin::app
