#include "app/dialogs/LinkChoiceModel.h"

#include "app/dialogs/DialogTexts.h"
#include "links/UrlHelpers.h"
#include "rules/Match.h"

namespace vorlin::app {

QString ReadableURL(const std::string& url) {
    try {
        return QString::fromStdString(HTTPDecode(url));
    } catch (const std::exception&) {
        return QString::fromStdString(url);
    }
}

TLinkChoiceModel::TLinkChoiceModel(std::vector<TRow> rows, QObject* parent)
    : QAbstractTableModel(parent), FRows(std::move(rows)) {}

int TLinkChoiceModel::CheckMatching(const std::string& mask, bool caseSensitive) {
    TMatch match;
    match.CaseSensitive = caseSensitive;
    match.Pattern = mask;
    int ticked = 0;
    for (TRow& row : FRows) {
        if (row.Checked) continue;
        match.Source = row.URL.toStdString();
        if (match.IsMatch()) {
            row.Checked = true;
            ++ticked;
        }
    }
    if (ticked > 0) RowsChanged();
    return ticked;
}

void TLinkChoiceModel::CheckAll() {
    for (TRow& row : FRows) row.Checked = true;
    RowsChanged();
}

void TLinkChoiceModel::RowsChanged() {
    if (!FRows.empty()) emit dataChanged(index(0, coURL), index(rowCount() - 1, coURL), {Qt::CheckStateRole});
}

int TLinkChoiceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TLinkChoiceModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : coCount; }

QVariant TLinkChoiceModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return QVariant();
    const TRow& row = FRows[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        if (index.column() == coURL) return row.URL;
        if (index.column() == coLevel && role == Qt::DisplayRole) return row.Level;
    }
    if (role == Qt::CheckStateRole && index.column() == coURL) return row.Checked ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::TextAlignmentRole && index.column() == coLevel)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

bool TLinkChoiceModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != coURL || role != Qt::CheckStateRole) return false;
    FRows[static_cast<size_t>(index.row())].Checked = static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags TLinkChoiceModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == coURL) f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant TLinkChoiceModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
    return DialogText(section == coURL ? tgColumnURL : tgColumnLevel);
}

} // namespace vorlin::app
