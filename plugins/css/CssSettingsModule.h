// The style-sheet plugin's way to its settings dialog. The dialog lives in a
// companion module beside the plugin ("css-settings.so.1", Qt Widgets),
// opened only inside a process that already runs Qt Widgets: the command
// line never maps Qt, and a missing module just means nothing to configure.
#pragma once

namespace css_plugin {

struct TCssOptions {
    // Follow the url(...) references of STYLE elements and style attributes.
    bool InlineStyles = true;
};

// The dialog can be shown here: its module loads and a QApplication runs on
// this thread.
bool CanShowSettingsDialog();

enum class TDialogResult { drUnavailable, drCancelled, drConfirmed, drFailed };
// Shows the dialog modally over the window with the native handle
// parentWindow (may be null) and edits options on confirmation.
TDialogResult ShowSettingsDialog(void* parentWindow, TCssOptions& options);

} // namespace css_plugin
