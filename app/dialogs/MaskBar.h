// The row under a selection list that ticks entries by a mask: the mask
// ("*" and "?"), the case option, "Über&nehmen" and "Select All". Enter in
// the mask applies it rather than closing the dialog.
#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vorlin::app {

class TMaskBar : public QWidget {
    Q_OBJECT
public:
    explicit TMaskBar(QWidget* parent = nullptr);

    QLineEdit* MaskEdit() const { return FMask; }
    QCheckBox* CaseSensitive() const { return FCase; }

signals:
    // The mask as typed, and whether case counts.
    void ApplyMask(const std::string& mask, bool caseSensitive);
    void SelectAll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply();

    QLineEdit* FMask;
    QCheckBox* FCase;
    QPushButton* FApply;
    QPushButton* FSelectAll;
};

} // namespace vorlin::app
