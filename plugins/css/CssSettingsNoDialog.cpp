// The settings dialog of a build without Qt: there is none to show.
#include "CssSettingsDialog.h"

namespace css_plugin {

bool CanShowSettingsDialog() { return false; }

TDialogResult ShowSettingsDialog(void*, TCssOptions&) { return TDialogResult::drUnavailable; }

} // namespace css_plugin
