// One panel of the settings dialog: shows its part of the program settings
// record and writes it back when the dialog is confirmed.
#pragma once

#include "app/dialogs/SettingsOffers.h"
#include "project/ProgramSettings.h"

#include <QWidget>

namespace vorlin::app {

class TSettingsPage : public QWidget {
public:
    explicit TSettingsPage(QWidget* parent = nullptr) : QWidget(parent) {}
    // The page's tag: its caption in the tree of pages.
    virtual int Tag() const = 0;
    virtual void Load(const TProgramSettings& record, const TSettingsOffers& offers) = 0;
    virtual void Store(TProgramSettings& record) const = 0;
};

} // namespace vorlin::app
