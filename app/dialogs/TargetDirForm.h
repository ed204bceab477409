// The target directory of a project made from a template: "Bitte
// Zielverzeichnis eingeben!" with the directory (typed or picked with
// "...") and cbUseStandardDir, which makes it the directory always used
// for projects from templates. OK needs a directory.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vorlin::app {

class TTargetDirForm : public QDialog {
    Q_OBJECT
public:
    TTargetDirForm(const QString& directory, bool useStandardDir, QWidget* parent = nullptr);

    // The directory as an absolute, clean path.
    QString Directory() const;
    bool UseStandardDir() const;
    QLineEdit* Edit() const { return FEdit; }
    QCheckBox* UseStandardDirBox() const { return FUseStandardDir; }

private:
    QLineEdit* FEdit;
    QCheckBox* FUseStandardDir;
    QPushButton* FOk;
};

} // namespace vorlin::app
