// The list of the half-automatic selection: one row per offered link with
// its percent-decoded URL and level and a check box. The rows are read once,
// each link under its lock; the model never touches the links again until
// the dialog writes the choice back.
#pragma once

#include <QAbstractTableModel>

#include <string>
#include <vector>

namespace vorlin {
class TDownloadLink;
}

namespace vorlin::app {

class TLinkChoiceModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn { coURL = 0, coLevel = 1, coCount = 2 };

    struct TRow {
        TDownloadLink* Link = nullptr;
        QString URL;
        int Level = 0;
        bool Checked = false;
    };

    explicit TLinkChoiceModel(std::vector<TRow> rows, QObject* parent = nullptr);

    const std::vector<TRow>& Rows() const { return FRows; }
    // Ticks the rows whose URL matches (never unticks one); the number ticked.
    int CheckMatching(const std::string& mask, bool caseSensitive);
    void CheckAll();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void RowsChanged();

    std::vector<TRow> FRows;
};

// The URL as the user reads it: percent-decoded, or as stored when it holds
// a broken escape.
QString ReadableURL(const std::string& url);

} // namespace vorlin::app
