// Calling into plugin code: a failure result becomes an exception at the
// call site, and every value a plugin hands back is checked before use.
#pragma once

#include "platform/Exception.h"
#include "plugins/sdk/VorlinPluginHelpers.h"

#include <new>
#include <string>

namespace vorlin {

// A plugin method answered with a failure result, or a plugin library
// lacks an export.
class EPluginError : public Exception {
public:
    using Exception::Exception;
};

// Throws EPluginError naming the plugin and the method.
[[noreturn]] void ThrowPluginError(vorlin_sdk::HRESULT hr, const std::string& plugin,
                                   const char* method);

// Throws EPluginError naming the plugin and the method when hr is a failure.
// Inline: it checks every plugin call of every tag.
inline void CheckPluginResult(vorlin_sdk::HRESULT hr, const std::string& plugin, const char* method) {
    if (vorlin_sdk::Failed(hr)) ThrowPluginError(hr, plugin, method);
}

// Owned references and strings at the plugin boundary.
using vorlin_sdk::TComRef;

// Runs a method of an object the program hands to plugins: an exception
// inside becomes a failure result, so that it never unwinds through plugin
// code.
template <typename F> vorlin_sdk::HRESULT GuardedCall(F&& body) noexcept {
    try {
        body();
        return vorlin_sdk::S_OK;
    } catch (const std::bad_alloc&) {
        return vorlin_sdk::E_OUTOFMEMORY;
    } catch (...) {
        return vorlin_sdk::E_FAIL;
    }
}

} // namespace vorlin
