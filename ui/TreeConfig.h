// A dialog body of pages picked from a tree: sections and their pages on
// the left (145 pixels wide, wider only when a caption needs it), the chosen
// page on the right under a caption that repeats its name. A section shows
// the page of its first entry.
#pragma once

#include <QWidget>

class QLabel;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace vorlin::ui {

class TTreeConfig : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTreeWidth = 145;

    explicit TTreeConfig(QWidget* parent = nullptr);

    // A top-level node without a page of its own.
    QTreeWidgetItem* AddSection(const QString& caption);
    // A page below a section (at the top when section is null). The widget
    // becomes a child of the page stack.
    QTreeWidgetItem* AddPage(QTreeWidgetItem* section, const QString& caption, QWidget* page);
    // After a language change.
    void SetCaption(QTreeWidgetItem* item, const QString& caption);

    void ShowPage(QWidget* page);
    QWidget* CurrentPage() const;
    // The tree node of a page, or null.
    QTreeWidgetItem* ItemOf(QWidget* page) const;
    QTreeWidget* Tree() const { return FTree; }

signals:
    void PageShown(QWidget* page);

private:
    void ItemChosen(QTreeWidgetItem* item);
    void FitTreeWidth();
    QWidget* PageOf(QTreeWidgetItem* item) const;

    QTreeWidget* FTree;
    QLabel* FCaption;
    QStackedWidget* FStack;
};

} // namespace vorlin::ui
