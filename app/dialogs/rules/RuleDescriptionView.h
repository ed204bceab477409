// The read-only description of a rule in the rule dialogs: the sentences of
// its active elements with the connector words and each element's
// clickable part in blue. A click reports its position counted as the rule
// engine counts it (bytes of the description, one per line break).
#pragma once

#include "rules/RuleDescription.h"

#include <QTextEdit>

#include <functional>

namespace vorlin::app {

class TRuleDescriptionView : public QTextEdit {
public:
    explicit TRuleDescriptionView(QWidget* parent = nullptr);

    void Show(const TRuleDescription& description);
    // The description position of a point of the viewport.
    int PositionAt(const QPoint& point) const;
    // The viewport rectangle of a description position (for tests).
    QRect RectOf(int position) const;

    std::function<void(int position)> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::string FText;  // the description shown, UTF-8
};

} // namespace vorlin::app
