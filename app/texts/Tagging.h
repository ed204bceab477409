// Tags on Qt controls: a control's caption is text number tag, its hint
// (tool tip and status tip) text number tag + 1. ApplyTexts walks a window
// again after the language changed.
#pragma once

class QObject;

namespace vorlin::app {

// Stores the tag on the control (widget, action, menu) and sets its texts.
void SetTag(QObject* control, int tag);
// The control's tag, 0 when it has none.
int Tag(const QObject* control);
// Sets the texts of the object and of everything it owns from their tags.
void ApplyTexts(QObject* root);

} // namespace vorlin::app
