// Paints a cell's integer value (0-100) as a progress bar.
#pragma once

#include <QStyledItemDelegate>

namespace vorlin::ui {

class TProgressDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace vorlin::ui
