#include "ui/LogModel.h"

#include <QBrush>
#include <QColor>

namespace vorlin::ui {

TLogModel::TLogModel(QObject* parent) : QAbstractListModel(parent) {}

void TLogModel::Append(const QString& text, bool error) {
    if (Count() >= kMaxLines) DropOldest(Count() - kMaxLines + 1);
    const int row = Count();
    beginInsertRows({}, row, row);
    FLines.push_back({text, error});
    endInsertRows();
}

void TLogModel::DropOldest(int count) {
    count = std::min(count, Count());
    if (count <= 0) return;
    beginRemoveRows({}, 0, count - 1);
    FLines.erase(FLines.begin(), FLines.begin() + count);
    endRemoveRows();
}

void TLogModel::AddLine(const QString& text) { Append(text, false); }

void TLogModel::AddError(const QString& text) {
    Append(text, true);
    if (Count() > kErrorTrimAbove) DropOldest(2);
}

void TLogModel::Clear() {
    beginResetModel();
    FLines.clear();
    endResetModel();
}

QString TLogModel::Joined(const QList<int>& rows) const {
    QStringList lines;
    for (int row : rows)
        if (row >= 0 && row < Count()) lines << Line(row);
    return lines.join('\n');
}

QString TLogModel::AllText() const {
    QString text;
    for (const TLine& line : FLines) text += line.Text + '\n';
    return text;
}

int TLogModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

QVariant TLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) return {};
    const TLine& line = FLines[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return line.Text;
    if (role == Qt::ForegroundRole && line.Error) return QBrush(QColor(Qt::red));
    return {};
}

} // namespace vorlin::ui
