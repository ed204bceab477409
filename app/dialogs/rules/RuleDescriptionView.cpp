#include "app/dialogs/rules/RuleDescriptionView.h"

#include <QMouseEvent>
#include <QTextCharFormat>
#include <QTextCursor>

namespace vorlin::app {

namespace {

// The position in a QString of a byte offset of its UTF-8 text.
int Utf16Position(const std::string& text, int byteOffset) {
    return static_cast<int>(QString::fromUtf8(text.data(), byteOffset).size());
}

} // namespace

TRuleDescriptionView::TRuleDescriptionView(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::NoTextInteraction);
    viewport()->setCursor(Qt::ArrowCursor);
}

void TRuleDescriptionView::Show(const TRuleDescription& description) {
    FText = description.Text;
    setPlainText(QString::fromStdString(FText));
    QTextCharFormat link;
    link.setForeground(QColor(Qt::blue));
    link.setFontUnderline(true);
    QTextCursor cursor(document());
    for (const TRuleDescription::TLink& each : description.Links) {
        cursor.setPosition(Utf16Position(FText, each.Start));
        cursor.setPosition(Utf16Position(FText, each.Start + each.Length), QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(link);
    }
}

int TRuleDescriptionView::PositionAt(const QPoint& point) const {
    // The document counts one position per line break, as the description does.
    const int position = cursorForPosition(point).position();
    const QString text = QString::fromStdString(FText);
    return static_cast<int>(text.left(position).toUtf8().size());
}

QRect TRuleDescriptionView::RectOf(int position) const {
    QTextCursor cursor(document());
    cursor.setPosition(Utf16Position(FText, position));
    return cursorRect(cursor);
}

void TRuleDescriptionView::mouseReleaseEvent(QMouseEvent* event) {
    QTextEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && OnClick) OnClick(PositionAt(event->position().toPoint()));
}

} // namespace vorlin::app
