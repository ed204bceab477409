#include "app/texts/Tagging.h"

#include "app/texts/Texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVariant>

namespace vorlin::app {

namespace {

constexpr const char* kTagProperty = "vorlinTag";

QString QText(int number) { return QString::fromStdString(Text(number)); }

// The tab widget a page belongs to (pages sit in its stack).
QTabWidget* TabsOf(QObject* control) {
    auto* page = qobject_cast<QWidget*>(control);
    auto* stack = page ? qobject_cast<QStackedWidget*>(page->parentWidget()) : nullptr;
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

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
    } else if (auto* dock = qobject_cast<QDockWidget*>(control)) {
        dock->setWindowTitle(caption);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        // Its text is what the user picks or types: only the hint is ours.
        combo->setToolTip(hint);
    } else if (QTabWidget* tabs = TabsOf(control)) {
        tabs->setTabText(tabs->indexOf(static_cast<QWidget*>(control)), caption);
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
