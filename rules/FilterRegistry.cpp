#include "rules/FilterRegistry.h"

#include <mutex>
#include <vector>

namespace vorlin {

namespace {

// Plugins register on the user-interface thread while a run may be creating
// rules on its own thread.
struct TRegistry {
    std::mutex Lock;
    std::vector<TConditionClass> Conditions;
    std::vector<TActionClass> Actions;
    std::vector<vorlin_sdk::IFilterActionPluginInterface*> Plugins;
};

TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}

template <typename T> T At(const std::vector<T>& list, int index) {
    return index >= 0 && static_cast<size_t>(index) < list.size() ? list[static_cast<size_t>(index)] : nullptr;
}

} // namespace

void RegisterConditionClass(TConditionClass conditionClass) {
    if (!conditionClass) return;
    std::lock_guard<std::mutex> guard(Registry().Lock);
    Registry().Conditions.push_back(conditionClass);
}

void RegisterActionClass(TActionClass actionClass) {
    if (!actionClass) return;
    std::lock_guard<std::mutex> guard(Registry().Lock);
    Registry().Actions.push_back(actionClass);
}

int ConditionClassCount() {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    return static_cast<int>(Registry().Conditions.size());
}

int ActionClassCount() {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    return static_cast<int>(Registry().Actions.size());
}

TConditionClass ConditionClass(int index) {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    return At(Registry().Conditions, index);
}

TActionClass ActionClass(int index) {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    return At(Registry().Actions, index);
}

void ClearRegisteredClasses() {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    Registry().Conditions.clear();
    Registry().Actions.clear();
}

void RegisterFilterActionPlugin(vorlin_sdk::IFilterActionPluginInterface* plugin) {
    if (!plugin) return;
    plugin->AddRef();
    std::lock_guard<std::mutex> guard(Registry().Lock);
    Registry().Plugins.push_back(plugin);
}

int FilterActionPluginCount() {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    return static_cast<int>(Registry().Plugins.size());
}

vorlin_sdk::IFilterActionPluginInterface* FilterActionPlugin(int index) {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    return At(Registry().Plugins, index);
}

void ClearFilterActionPlugins() {
    std::vector<vorlin_sdk::IFilterActionPluginInterface*> plugins;
    {
        std::lock_guard<std::mutex> guard(Registry().Lock);
        plugins.swap(Registry().Plugins);
    }
    // Released outside the lock: a plugin may call back into the registry.
    for (auto* plugin : plugins) plugin->Release();
}

} // namespace vorlin
