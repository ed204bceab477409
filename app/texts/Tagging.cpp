#include "app/texts/Tagging.h"

#include "app/texts/Texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QVariant>

namespace vorlin::app {

namespace {

constexpr const char* kTagProperty = "vorlinTag";

QString QText(int number) { return QString::fromStdString(Text(number)); }

void ApplyOne(QObject* control) {
    const int tag = Tag(control);
    if (tag == 0) return;
    const QString caption = QText(tag);
    const QString hint = QText(tag + 1);
    if (auto* action = qobject_cast<QAction*>(control)) {
        action->setText(caption);
        action->setToolTip(hint.isEmpty() ? caption : hint);
        action->setStatusTip(hint);
    } else if (auto* menu = qobject_cast<QMenu*>(control)) {
        menu->setTitle(caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(caption);
        button->setToolTip(hint);
    } else if (auto* box = qobject_cast<QGroupBox*>(control)) {
        box->setTitle(caption);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(caption);
    } else if (auto* widget = qobject_cast<QWidget*>(control); widget && widget->isWindow()) {
        widget->setWindowTitle(caption);
    }
}

} // namespace

void SetTag(QObject* control, int tag) {
    if (!control) return;
    control->setProperty(kTagProperty, tag);
    ApplyOne(control);
}

int Tag(const QObject* control) {
    if (!control) return 0;
    const QVariant value = control->property(kTagProperty);
    return value.isValid() ? value.toInt() : 0;
}

void ApplyTexts(QObject* root) {
    if (!root) return;
    ApplyOne(root);
    for (QObject* child : root->findChildren<QObject*>()) ApplyOne(child);
}

} // namespace vorlin::app
