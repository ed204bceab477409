#include "ui/ProgressDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionProgressBar>

namespace vorlin::ui {

void TProgressDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionProgressBar bar;
    bar.rect = option.rect.adjusted(1, 2, -1, -2);
    bar.minimum = 0;
    bar.maximum = 100;
    bar.progress = index.data().toInt();
    bar.text = QString::number(bar.progress) + "%";
    bar.textVisible = true;
    bar.state = option.state | QStyle::State_Horizontal;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ProgressBar, &bar, painter, widget);
}

} // namespace vorlin::ui
