#include "ui/ClientRowsModel.h"

namespace vorlin::ui {

TClientRowsModel::TClientRowsModel(QObject* parent) : QAbstractTableModel(parent) {}

void TClientRowsModel::SetCaptions(const QStringList& captions) {
    FCaptions = captions;
    emit headerDataChanged(Qt::Horizontal, 0, ccCount - 1);
}

void TClientRowsModel::SetRowCount(int count) {
    count = std::max(count, 0);
    if (count > Count()) {
        beginInsertRows({}, Count(), count - 1);
        FRows.resize(static_cast<size_t>(count));
        endInsertRows();
    } else if (count < Count()) {
        beginRemoveRows({}, count, Count() - 1);
        FRows.resize(static_cast<size_t>(count));
        endRemoveRows();
    }
}

void TClientRowsModel::Changed(int row, int column) { emit dataChanged(index(row, column), index(row, column)); }

void TClientRowsModel::SetStatus(int row, const QString& text) {
    if (!Valid(row)) return;
    FRows[static_cast<size_t>(row)].Status = text;
    Changed(row, ccStatus);
}

void TClientRowsModel::SetURL(int row, const QString& text) {
    if (!Valid(row)) return;
    FRows[static_cast<size_t>(row)].URL = text;
    Changed(row, ccURL);
}

void TClientRowsModel::SetSize(int row, const QString& text) {
    if (!Valid(row)) return;
    FRows[static_cast<size_t>(row)].Size = text;
    Changed(row, ccSize);
}

void TClientRowsModel::SetProgress(int row, int percent) {
    if (!Valid(row)) return;
    FRows[static_cast<size_t>(row)].Progress = std::clamp(percent, 0, 100);
    Changed(row, ccProgress);
}

QString TClientRowsModel::Status(int row) const { return Valid(row) ? FRows[static_cast<size_t>(row)].Status : QString(); }
QString TClientRowsModel::URL(int row) const { return Valid(row) ? FRows[static_cast<size_t>(row)].URL : QString(); }
QString TClientRowsModel::Size(int row) const { return Valid(row) ? FRows[static_cast<size_t>(row)].Size : QString(); }
int TClientRowsModel::Progress(int row) const { return Valid(row) ? FRows[static_cast<size_t>(row)].Progress : 0; }

int TClientRowsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }
int TClientRowsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ccCount; }

QVariant TClientRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !Valid(index.row())) return {};
    const TRow& row = FRows[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case ccNumber: return index.row() + 1;
        case ccStatus: return row.Status;
        case ccURL: return row.URL;
        case ccSize: return row.Size;
        case ccProgress: return row.Progress;
        }
    }
    if (role == Qt::ToolTipRole && index.column() == ccURL) return row.URL;
    if (role == Qt::TextAlignmentRole && (index.column() == ccSize || index.column() == ccNumber))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TClientRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section < FCaptions.size() ? FCaptions[section] : QVariant();
}

} // namespace vorlin::ui
