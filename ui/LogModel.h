// The run log: a list of lines, error lines shown in red. When an error
// line leaves more than 499 lines, the two oldest go. A generous overall
// cap keeps a run of a huge site from growing the log without end.
#pragma once

#include <QAbstractListModel>
#include <deque>

namespace vorlin::ui {

class TLogModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kErrorTrimAbove = 499;
    static constexpr int kMaxLines = 50000;

    explicit TLogModel(QObject* parent = nullptr);

    void AddLine(const QString& text);
    void AddError(const QString& text);
    void Clear();

    int Count() const { return static_cast<int>(FLines.size()); }
    QString Line(int row) const { return FLines[static_cast<size_t>(row)].Text; }
    bool IsError(int row) const { return FLines[static_cast<size_t>(row)].Error; }
    // The lines joined with "\n" (for the clipboard and the log file).
    QString Joined(const QList<int>& rows) const;
    QString AllText() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct TLine {
        QString Text;
        bool Error;
    };
    void Append(const QString& text, bool error);
    void DropOldest(int count);

    std::deque<TLine> FLines;
};

} // namespace vorlin::ui
