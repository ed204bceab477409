#include "app/dialogs/OptionsPluginsPage.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/OptionsTexts.h"
#include "rules/PluginOptionsPage.h"
#include "rules/PluginSystem.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>


namespace vorlin::app {

TPluginsPage::TPluginsPage(const TPluginSystem* plugins, std::string projectPluginsFile, std::string dataPluginsFile,
                           QWidget* parent)
    : QWidget(parent), FPlugins(plugins), FProjectPluginsFile(std::move(projectPluginsFile)),
      FDataPluginsFile(std::move(dataPluginsFile)) {
    FList = Named<QListWidget>("clbPlugins", this);
    FConfigure = Tagged<QPushButton>(tgConfigurePlugin, "btConfigurePlugin", this);
    FShowData = Tagged<QPushButton>(tgShowPluginData, "btShowPluginData", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(FConfigure);
    buttons->addWidget(FShowData);
    buttons->addStretch(1);
    auto* page = new QVBoxLayout(this);
    page->addWidget(FList, 1);
    page->addLayout(buttons);

    if (FPlugins) {
        // Each box shows what the plugin's stored settings say for this project.
        const std::vector<bool> active = PluginPageShown(*FPlugins, FProjectPluginsFile);
        for (size_t i = 0; i < FPlugins->Plugins().size(); ++i) {
            const TPlugin& plugin = *FPlugins->Plugins()[i];
            auto* item = new QListWidgetItem(QString::fromStdString(plugin.Name), FList);
            Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
            // A plugin that did not initialise can't be asked anything.
            if (plugin.Plugin) flags |= Qt::ItemIsUserCheckable;
            item->setFlags(flags);
            item->setCheckState(i < active.size() && active[i] ? Qt::Checked : Qt::Unchecked);
        }
    }
    connect(FList, &QListWidget::currentRowChanged, this,
            [this] { Guarded("Error in PluginListClick ()", [this] { UpdateButtons(); }); });
    connect(FConfigure, &QPushButton::clicked, this,
            [this] { Guarded("Error in ConfigurePlugin ()", [this] { Configure(); }); });
    connect(FShowData, &QPushButton::clicked, this,
            [this] { Guarded("Error in ShowPluginData ()", [this] { ShowData(); }); });
    UpdateButtons();
}

std::vector<bool> TPluginsPage::Checked() const {
    std::vector<bool> checked;
    for (int i = 0; i < FList->count(); ++i) checked.push_back(FList->item(i)->checkState() == Qt::Checked);
    return checked;
}

void TPluginsPage::StoreStates() const {
    if (FPlugins) PluginPageClosed(*FPlugins, FProjectPluginsFile, Checked());
}

const TPlugin* TPluginsPage::SelectedPlugin() const {
    const int row = FList->currentRow();
    if (!FPlugins || row < 0 || row >= FPlugins->Count()) return nullptr;
    const TPlugin* plugin = FPlugins->Plugins()[static_cast<size_t>(row)].get();
    return plugin->Plugin ? plugin : nullptr;
}

void TPluginsPage::UpdateButtons() {
    const TPlugin* plugin = SelectedPlugin();
    FConfigure->setEnabled(false);
    FShowData->setEnabled(false);
    if (!plugin) return;
    FShowData->setEnabled(CanShowPluginData(*plugin));
    FConfigure->setEnabled(CanConfigurePlugin(*plugin));
}

void TPluginsPage::Configure() {
    const TPlugin* plugin = SelectedPlugin();
    if (!plugin) return;
    // The plugin's dialog belongs to this dialog's window.
    void* parent = reinterpret_cast<void*>(window()->winId());
    ConfigurePlugin(*plugin, FProjectPluginsFile, parent);
}

void TPluginsPage::ShowData() {
    if (const TPlugin* plugin = SelectedPlugin()) ShowPluginData(*plugin, FDataPluginsFile);
}


} // namespace vorlin::app
