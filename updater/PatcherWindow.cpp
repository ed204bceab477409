#include "updater/PatcherWindow.h"

#include "platform/InterProcess.h"
#include "platform/MessageQueue.h"
#include "platform/MessageTarget.h"
#include "updater/PatchSession.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>

namespace vorlin::updater {

TPatcherWindow::TPatcherWindow()
    : FNotifier(new QSocketNotifier(QueueDescriptor(), QSocketNotifier::Read, this)) {
    setWindowTitle(QString("HTTP Vorlin Update Wizard %1").arg(kPatcherVersion));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont font("MS Sans Serif", 8);
    setFont(font);
    setGeometry(363, 278, 300, 125);
    setFixedSize(300, 125);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 4, 6, 6);
    auto* group = new QGroupBox("Progress", this);
    outer->addWidget(group);
    auto* inner = new QVBoxLayout(group);
    inner->setContentsMargins(8, 2, 8, 6);
    inner->setSpacing(2);
    FFileText = new QLabel(group);
    FFileProgress = new QProgressBar(group);
    FPhaseText = new QLabel(group);
    FPhaseProgress = new QProgressBar(group);
    for (QProgressBar* bar : {FFileProgress, FPhaseProgress}) {
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->setFixedHeight(14);
    }
    inner->addWidget(FFileText);
    inner->addWidget(FFileProgress);
    inner->addWidget(FPhaseText);
    inner->addWidget(FPhaseProgress);
    connect(FNotifier, &QSocketNotifier::activated, this, [this] { PumpPlatformMessages(); });
    FTarget = std::make_unique<TMessageTarget>([this](TMsg& msg) -> intptr_t {
        if (msg.Message == WM_CLOSE || (msg.Message == WM_SYSCOMMAND && msg.WParam == SC_CLOSE))
            QTimer::singleShot(0, this, [this] { close(); });
        return 0;
    });
}

TPatcherWindow::~TPatcherWindow() = default;

void TPatcherWindow::Publish() {
    FPublished = PublishWindow(kPatcherWindowClass, FTarget->Handle(), windowTitle().toStdString());
}

void TPatcherWindow::PumpPlatformMessages() {
    try {
        ProcessPendingMessages();
    } catch (const std::exception&) {
        // A message that fails is dropped; the window goes on.
    }
}

void TPatcherWindow::SetPhaseText(const std::string& text) { FPhaseText->setText(QString::fromStdString(text)); }
void TPatcherWindow::SetFileText(const std::string& text) { FFileText->setText(QString::fromStdString(text)); }
void TPatcherWindow::SetFileProgress(int percent) { FFileProgress->setValue(percent); }
void TPatcherWindow::SetPhaseProgress(int percent) { FPhaseProgress->setValue(percent); }

bool TPatcherWindow::ProcessMessages() {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    PumpPlatformMessages();
    return !FClosed;
}

void TPatcherWindow::closeEvent(QCloseEvent* event) {
    FClosed = true;
    FPublished.reset();
    event->accept();
}

} // namespace vorlin::updater
