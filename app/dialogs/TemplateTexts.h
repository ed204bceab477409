// The numbered texts of the dialogs that make a project from a template:
// the template dialog TTemplateForm ("Vorlageneinstellungen ") and the
// target directory dialog (control tags 4700-4739; caption = tag, hint =
// tag + 1). Added once, by the first of them made.
#pragma once

namespace vorlin::app {

void AddTemplateDialogTexts();

enum TTemplateDialogTag : int {
    // TTemplateForm
    tgTemplateForm = 4700,
    tgTemplateListLabel = 4702,
    tgTemplateNew = 4704,
    tgTemplateOk = 4706,
    tgTemplateCancel = 4708,
    txSelectTemplateFirst = 4710,  // its message: "Select a Template first!"
    // The target directory dialog
    tgTargetDirForm = 4720,
    tgTargetDirLabel = 4722,
    tgTargetDirBrowse = 4724,
    tgUseStandardDir = 4726,
    tgTargetDirOk = 4728,
    tgTargetDirCancel = 4730,
    // Buttons of the one-line input ("URL festlegen", the names)
    tgInputOk = 4732,
    tgInputCancel = 4734,
};

} // namespace vorlin::app
