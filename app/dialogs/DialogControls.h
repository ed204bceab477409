// Small helpers that build the dialogs' controls: every control that shows
// a text gets its name (as the tests and the language tables know it) and
// its tag in one call.
#pragma once

#include "app/texts/Tagging.h"

#include <QString>
#include <QWidget>

#include <functional>

class QDialog;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vorlin::app {

template <typename T> T* Tagged(int tag, const char* name, QWidget* parent) {
    auto* control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    SetTag(control, tag);
    return control;
}

template <typename T> T* Named(const char* name, QWidget* parent) {
    auto* control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

// Runs a handler of a dialog; what it throws goes to the debug log with
// the context ("Error in ... ()"), never across Qt's event loop.
void Guarded(const char* context, const std::function<void()>& body);

// A tagged label that names the control it stands before (its buddy).
QLabel* BuddyLabel(int tag, const char* name, QWidget* control, QWidget* parent);

// The OK button (the default, "btOK") and the cancel button ("btCancel")
// of a dialog, wired to its accept() and reject().
QDialogButtonBox* OkCancelButtons(QDialog* dialog, int okTag, int cancelTag);

// A "..." button that fills the edit with a directory or file the user picks
// (a cookies file to save into may be a new one).
enum class TBrowseFor { bfDirectory, bfBookmarkFile, bfProgram, bfCookiesFile, bfCookiesSaveFile };
QPushButton* BrowseButton(int tag, const char* name, QLineEdit* edit, TBrowseFor what, QWidget* parent);

} // namespace vorlin::app
