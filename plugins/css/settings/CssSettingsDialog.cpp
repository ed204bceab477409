// The style-sheet plugin's settings dialog, in a module of its own so that
// the plugin itself needs no Qt. The plugin opens this module only when the
// desktop program's Qt Widgets are already in the process.
#include "CssSettingsExports.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

#include <memory>
#include <type_traits>

namespace {

bool CanShowDialog() {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    return application && QThread::currentThread() == application->thread();
}

int32_t ShowDialog(void* parentWindow, TCssDialogOptions& options) {
    const auto handle = static_cast<WId>(reinterpret_cast<quintptr>(parentWindow));
    // The program's dialog lives in this process: its widget, when found, is
    // the natural parent; otherwise the dialog is made transient for the window.
    QWidget* parent = handle ? QWidget::find(handle) : nullptr;
    QDialog dialog(parent);
    dialog.setObjectName("TCssSettingsForm");
    dialog.setWindowTitle(QStringLiteral("css"));
    auto* intro = new QLabel(QStringLiteral("Stylesheets: Verweise in url(...) und @import werden geladen."), &dialog);
    intro->setWordWrap(true);
    auto* inlineStyles = new QCheckBox(
        QStringLiteral("Auch Verweise in STYLE-Elementen und style-Attributen der Seiten verfolgen"), &dialog);
    inlineStyles->setObjectName("cbInlineStyles");
    inlineStyles->setChecked(options.InlineStyles != 0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    // The program's own captions: Qt's defaults would be English here.
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Ab&brechen"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(intro);
    layout->addWidget(inlineStyles);
    layout->addStretch(1);
    layout->addWidget(buttons);

    std::unique_ptr<QWindow> foreign;
    if (!parent && handle) {
        dialog.winId();  // gives the dialog its native window
        foreign.reset(QWindow::fromWinId(handle));
        if (foreign && dialog.windowHandle()) dialog.windowHandle()->setTransientParent(foreign.get());
    }
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted) return cdrCancelled;
    options.InlineStyles = inlineStyles->isChecked() ? 1 : 0;
    return cdrConfirmed;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) int32_t CssSettingsDialogAvailable() {
    return CanShowDialog() ? 1 : 0;
}

// No exception may leave through the C boundary.
__attribute__((visibility("default"))) int32_t CssShowSettingsDialog(void* parentWindow, TCssDialogOptions* options) {
    if (!options || !CanShowDialog()) return cdrUnavailable;
    try {
        return ShowDialog(parentWindow, *options);
    } catch (...) {
        return cdrFailed;
    }
}

} // extern "C"

// The exported functions must keep the types the plugin calls them through.
static_assert(std::is_same_v<decltype(&CssSettingsDialogAvailable), TCssSettingsDialogAvailable>);
static_assert(std::is_same_v<decltype(&CssShowSettingsDialog), TCssShowSettingsDialog>);
