// The registries every rule is built from: the condition and action classes
// (in registration order, which is the order of the elements inside every
// rule) and the plugin objects that contribute further actions. Filled at
// start-up and by the plugin system; read whenever a rule is created.
#pragma once

#include "plugins/sdk/VorlinPlugin.h"
#include "rules/FilterElement.h"

#include <memory>

namespace vorlin {

// A class reference: creates a new element of its class (Active off).
using TConditionClass = std::unique_ptr<TFilterCondition> (*)();
using TActionClass = std::unique_ptr<TFilterAction> (*)();

template <class T> std::unique_ptr<TFilterCondition> NewCondition() { return std::make_unique<T>(); }
template <class T> std::unique_ptr<TFilterAction> NewAction() { return std::make_unique<T>(); }

void RegisterConditionClass(TConditionClass conditionClass);
void RegisterActionClass(TActionClass actionClass);
int ConditionClassCount();
int ActionClassCount();
TConditionClass ConditionClass(int index);  // nullptr out of range
TActionClass ActionClass(int index);        // nullptr out of range
// Empties both class lists.
void ClearRegisteredClasses();

// A plugin's action provider; the list keeps one reference to it until
// ClearFilterActionPlugins.
void RegisterFilterActionPlugin(vorlin_sdk::IFilterActionPluginInterface* plugin);
int FilterActionPluginCount();
// The provider at index (valid until ClearFilterActionPlugins, which the
// plugin system calls only while no download runs); nullptr out of range.
vorlin_sdk::IFilterActionPluginInterface* FilterActionPlugin(int index);
void ClearFilterActionPlugins();

} // namespace vorlin
