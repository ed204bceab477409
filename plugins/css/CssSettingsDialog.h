// The style-sheet plugin's own settings dialog. It needs the desktop
// program's QApplication: without one (the command line) it can't be shown.
#pragma once

namespace css_plugin {

struct TCssOptions {
    // Follow the url(...) references of STYLE elements and style attributes.
    bool InlineStyles = true;
};

// The dialog can be shown here: a QApplication runs on this thread.
bool CanShowSettingsDialog();

enum class TDialogResult { drUnavailable, drCancelled, drConfirmed };
// Shows the dialog modally over the window with the native handle
// parentWindow (may be null) and edits options on confirmation.
TDialogResult ShowSettingsDialog(void* parentWindow, TCssOptions& options);

} // namespace css_plugin
