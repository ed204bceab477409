// Field access for the plugin-facing project and link objects: each getter
// copies one field into its out parameter (strings become new UTF-16
// strings the plugin frees), each setter assigns without range checks. A
// null out pointer answers E_POINTER; an exception becomes a failure result.
#pragma once

#include "plugins/sdk/VorlinPluginHelpers.h"
#include "rules/PluginCall.h"

#include <string>

namespace vorlin {

template <typename TOut, typename TField>
vorlin_sdk::HRESULT GetField(TOut* out, const TField& field) {
    if (!out) return vorlin_sdk::E_POINTER;
    *out = static_cast<TOut>(field);
    return vorlin_sdk::S_OK;
}

inline vorlin_sdk::HRESULT GetField(vorlin_sdk::BSTR* out, const std::string& field) {
    if (!out) return vorlin_sdk::E_POINTER;
    *out = nullptr;
    return GuardedCall([&] {
        *out = vorlin_sdk::VorlinNewString(field);
        if (!*out) throw std::bad_alloc();
    });
}

template <typename TField, typename TIn> vorlin_sdk::HRESULT SetField(TField& field, TIn value) {
    field = static_cast<TField>(value);
    return vorlin_sdk::S_OK;
}

inline vorlin_sdk::HRESULT SetField(std::string& field, vorlin_sdk::BSTR value) {
    return GuardedCall([&] { field = vorlin_sdk::VorlinStringToUtf8(value); });
}

// A boolean computed by the program (a check that may run rules and ask plugins).
template <typename F> vorlin_sdk::HRESULT GuardedOut(vorlin_sdk::VBOOL* out, F&& compute) {
    if (!out) return vorlin_sdk::E_POINTER;
    *out = 0;
    return GuardedCall([&] { *out = compute() ? 1 : 0; });
}

// QueryInterface of an object with one interface of its own besides IUnknown.
template <typename T>
vorlin_sdk::HRESULT QueryAdapterInterface(T* self, const vorlin_sdk::GUID& own,
                                          const vorlin_sdk::GUID& iid, void** object) {
    if (!object) return vorlin_sdk::E_POINTER;
    if (iid == own || iid == vorlin_sdk::IID_IUnknown) {
        self->AddRef();
        *object = self;
        return vorlin_sdk::S_OK;
    }
    *object = nullptr;
    return vorlin_sdk::E_NOINTERFACE;
}

} // namespace vorlin
