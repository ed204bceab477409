// Small helpers that build the dialogs' controls: every control that shows
// a text gets its name (as the tests and the language tables know it) and
// its tag in one call.
#pragma once

#include "app/texts/Tagging.h"

#include <QString>
#include <QWidget>

class QDialog;
class QDialogButtonBox;
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

// The OK button (the default, "btOK") and the cancel button ("btCancel")
// of a dialog, wired to its accept() and reject().
QDialogButtonBox* OkCancelButtons(QDialog* dialog, int okTag, int cancelTag);

// A "..." button that fills the edit with a directory or file the user picks.
enum class TBrowseFor { bfDirectory, bfBookmarkFile, bfProgram };
QPushButton* BrowseButton(int tag, const char* name, QLineEdit* edit, TBrowseFor what, QWidget* parent);

} // namespace vorlin::app
