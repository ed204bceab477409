// Plugin libraries: a shared object loaded from a full path, its exports
// looked up by name, unloaded when the owner is destroyed. A failed load is
// not an error here; the caller decides what it means (the plugin system
// reports it when it first needs an export).
#pragma once

#include <string>

namespace vorlin {

class TDynamicLibrary {
public:
    TDynamicLibrary() = default;
    ~TDynamicLibrary() { Unload(); }
    TDynamicLibrary(const TDynamicLibrary&) = delete;
    TDynamicLibrary& operator=(const TDynamicLibrary&) = delete;

    // Loads the library (unloading what was loaded before); false on failure,
    // with the loader's reason in LoadError().
    bool Load(const std::string& hostPath);
    void Unload();
    bool Loaded() const { return FHandle != nullptr; }
    const std::string& LoadError() const { return FLoadError; }

    // The address of an export, or null when the library lacks it or is not loaded.
    void* Symbol(const std::string& name) const;
    template <typename T> T Function(const std::string& name) const {
        return reinterpret_cast<T>(Symbol(name));
    }

private:
    void* FHandle = nullptr;
    std::string FLoadError;
};

} // namespace vorlin
