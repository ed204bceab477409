// The boundary between the style-sheet plugin (css.so, no Qt) and its
// settings dialog module (css-settings.so.1, Qt Widgets). The plugin opens
// the module only inside a process that already runs Qt Widgets, so the
// command line never maps Qt. Plain C only: the two are built apart and
// the module may be missing.
#ifndef VORLIN_CSS_SETTINGS_EXPORTS_H
#define VORLIN_CSS_SETTINGS_EXPORTS_H

#include <stdint.h>

extern "C" {

// The options the dialog edits; one byte per switch (0 off, else on).
struct TCssDialogOptions {
    uint8_t InlineStyles;  // follow url(...) in STYLE elements and style attributes
};

enum : int32_t { cdrUnavailable = 0, cdrCancelled = 1, cdrConfirmed = 2, cdrFailed = 3 };

// 1 when the dialog can be shown on the calling thread (a QApplication runs
// on it), else 0.
typedef int32_t (*TCssSettingsDialogAvailable)(void);
// Shows the dialog modally over the native window parentWindow (may be
// null); on confirmation writes the edited options back. Answers one of the
// cdr* values.
typedef int32_t (*TCssShowSettingsDialog)(void* parentWindow, TCssDialogOptions* options);

}

#define CSS_SETTINGS_DIALOG_AVAILABLE "CssSettingsDialogAvailable"
#define CSS_SHOW_SETTINGS_DIALOG "CssShowSettingsDialog"

#endif
