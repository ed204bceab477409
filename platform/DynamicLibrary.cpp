#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace vorlin {

bool TDynamicLibrary::Load(const std::string& hostPath) {
    Unload();
    // RTLD_LOCAL keeps one plugin's symbols from resolving another's;
    // RTLD_NOW makes a library with unresolved symbols fail here rather than
    // in the middle of a download.
    FHandle = ::dlopen(hostPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!FHandle) {
        const char* reason = ::dlerror();
        FLoadError = reason ? reason : "cannot load " + hostPath;
        return false;
    }
    FLoadError.clear();
    return true;
}

void TDynamicLibrary::Unload() {
    if (FHandle) ::dlclose(FHandle);
    FHandle = nullptr;
}

void* TDynamicLibrary::Symbol(const std::string& name) const {
    if (!FHandle) return nullptr;
    return ::dlsym(FHandle, name.c_str());
}

} // namespace vorlin
