#include "app/dialogs/OptionsPage.h"

#include "app/dialogs/DialogControls.h"

#include <QButtonGroup>
#include <QRadioButton>

namespace vorlin::app {

TRadioChoice::TRadioChoice(QObject* owner) : FGroup(new QButtonGroup(owner)) {}

QRadioButton* TRadioChoice::Add(int tag, const char* name, QWidget* parent) {
    auto* button = Tagged<QRadioButton>(tag, name, parent);
    FGroup->addButton(button, static_cast<int>(FButtons.size()));
    FButtons.push_back(button);
    return button;
}

void TRadioChoice::Select(int value) {
    if (value >= 0 && value < static_cast<int>(FButtons.size())) {
        FButtons[static_cast<size_t>(value)]->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked: let go of it for a moment.
    FGroup->setExclusive(false);
    for (QRadioButton* button : FButtons) button->setChecked(false);
    FGroup->setExclusive(true);
}

int TRadioChoice::Selected(int none) const {
    const int id = FGroup->checkedId();
    return id >= 0 ? id : none;
}

} // namespace vorlin::app
