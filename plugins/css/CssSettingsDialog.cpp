#include "CssSettingsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

#include <memory>

namespace css_plugin {

bool CanShowSettingsDialog() {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    return application && QThread::currentThread() == application->thread();
}

TDialogResult ShowSettingsDialog(void* parentWindow, TCssOptions& options) {
    if (!CanShowSettingsDialog()) return TDialogResult::drUnavailable;
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
    inlineStyles->setChecked(options.InlineStyles);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
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
    if (dialog.exec() != QDialog::Accepted) return TDialogResult::drCancelled;
    options.InlineStyles = inlineStyles->isChecked();
    return TDialogResult::drConfirmed;
}

} // namespace css_plugin
