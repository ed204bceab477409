// TfmUpdateDownload, "Update Download": shows one update transfer (status
// in the group box's caption, progress, size) with one button that first
// cancels and, once the transfer ended, closes with OK. It closes by itself
// after a complete answer. TQtUpdateDialogHost shows it for TProgUpdater.
#pragma once

#include "update/UpdateDownload.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace vorlin::update {

class TfmUpdateDownload : public QDialog {
    Q_OBJECT
public:
    TfmUpdateDownload(TUpdateDownload& download, QWidget* parent = nullptr);
    ~TfmUpdateDownload() override;

    // Shows the model as it stands.
    void Refresh();
    QPushButton* Button() const { return FButton; }
    QGroupBox* StatusBox() const { return FStatus; }

private:
    TUpdateDownload& FDownload;
    QGroupBox* FStatus;
    QProgressBar* FProgress;
    QLabel* FZero;
    QLabel* FSize;
    QPushButton* FButton;
};

class TQtUpdateDialogHost : public IUpdateDialogHost {
public:
    explicit TQtUpdateDialogHost(QWidget* parent = nullptr) : FParent(parent) {}
    bool ShowModal(TUpdateDownload& download) override;
    // Called with each dialog just before it runs (screenshots, tests).
    std::function<void(TfmUpdateDownload& dialog)> OnShown;

private:
    QWidget* FParent;
};

} // namespace vorlin::update
