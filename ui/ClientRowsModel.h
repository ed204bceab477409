// The progress list: one row per connection of the current run, numbered
// from 1, with status text, URL, size text and progress in percent.
#pragma once

#include <QAbstractTableModel>
#include <vector>

namespace vorlin::ui {

class TClientRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn { ccNumber, ccStatus, ccURL, ccSize, ccProgress, ccCount };

    explicit TClientRowsModel(QObject* parent = nullptr);

    void SetCaptions(const QStringList& captions);
    // Adds rows or removes them from the end until there are count.
    void SetRowCount(int count);
    int Count() const { return static_cast<int>(FRows.size()); }

    // Each ignores an index out of range.
    void SetStatus(int row, const QString& text);
    void SetURL(int row, const QString& text);
    void SetSize(int row, const QString& text);
    void SetProgress(int row, int percent);

    QString Status(int row) const;
    QString URL(int row) const;
    QString Size(int row) const;
    int Progress(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct TRow {
        QString Status, URL, Size;
        int Progress = 0;
    };
    bool Valid(int row) const { return row >= 0 && row < Count(); }
    void Changed(int row, int column);

    std::vector<TRow> FRows;
    QStringList FCaptions;
};

} // namespace vorlin::ui
