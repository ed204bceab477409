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

// A mask bar that ticks in the model (its CheckMatching and CheckAll).
template <typename TModel> TMaskBar* MaskBarFor(TModel* model, QWidget* parent) {
    auto* bar = new TMaskBar(parent);
    QObject::connect(bar, &TMaskBar::ApplyMask, model,
                     [model](const std::string& mask, bool caseSensitive) { model->CheckMatching(mask, caseSensitive); });
    QObject::connect(bar, &TMaskBar::SelectAll, model, [model] { model->CheckAll(); });
    return bar;
}

} // namespace vorlin::app
