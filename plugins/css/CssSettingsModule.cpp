// Opens the settings dialog's module on first need. The module links Qt
// Widgets, so it is opened only when the process has them loaded already
// (the desktop program): loading it anywhere else would map Qt into the
// command line, or fail on a server without Qt.
#include "CssSettingsModule.h"

#include "settings/CssSettingsExports.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <mutex>
#include <string>

namespace css_plugin {
namespace {

const char* const cModuleName = "css-settings.so.1";

struct TSettingsModule {
    TCssSettingsDialogAvailable Available = nullptr;
    TCssShowSettingsDialog Show = nullptr;
};

bool QtWidgetsLoaded() {
#ifdef VORLIN_QT_WIDGETS_SONAME
    // RTLD_NOLOAD answers a handle only for a library already in the process.
    void* widgets = ::dlopen(VORLIN_QT_WIDGETS_SONAME, RTLD_LAZY | RTLD_NOLOAD);
    if (!widgets) return false;
    ::dlclose(widgets);  // drops the reference RTLD_NOLOAD added
    return true;
#else
    return false;  // a build without the desktop program
#endif
}

// The folder of the file this plugin was loaded from, symbolic links
// resolved: the module is shipped beside the plugin's real file.
std::string PluginFolder() {
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&PluginFolder), &info) || !info.dli_fname) return std::string();
    char resolved[PATH_MAX];
    if (!::realpath(info.dli_fname, resolved)) return std::string();
    std::string path = resolved;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Opened once and kept for the life of the process: Qt may still hold
// static texts of the module after the dialog has closed.
const TSettingsModule* Module() {
    static std::mutex lock;
    static TSettingsModule module;
    static bool opened = false;
    std::lock_guard<std::mutex> guard(lock);
    if (opened) return module.Show ? &module : nullptr;
    if (!QtWidgetsLoaded()) return nullptr;  // perhaps later, so not "opened"
    opened = true;
    const std::string folder = PluginFolder();
    if (folder.empty()) return nullptr;
    void* handle = ::dlopen((folder + cModuleName).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return nullptr;
    auto available = reinterpret_cast<TCssSettingsDialogAvailable>(::dlsym(handle, CSS_SETTINGS_DIALOG_AVAILABLE));
    auto show = reinterpret_cast<TCssShowSettingsDialog>(::dlsym(handle, CSS_SHOW_SETTINGS_DIALOG));
    if (!available || !show) {
        ::dlclose(handle);
        return nullptr;
    }
    module.Available = available;
    module.Show = show;
    return &module;
}

} // namespace

bool CanShowSettingsDialog() {
    const TSettingsModule* module = Module();
    return module && module->Available() != 0;
}

TDialogResult ShowSettingsDialog(void* parentWindow, TCssOptions& options) {
    const TSettingsModule* module = Module();
    if (!module) return TDialogResult::drUnavailable;
    TCssDialogOptions edited{static_cast<uint8_t>(options.InlineStyles ? 1 : 0)};
    switch (module->Show(parentWindow, &edited)) {
    case cdrCancelled: return TDialogResult::drCancelled;
    case cdrConfirmed: options.InlineStyles = edited.InlineStyles != 0; return TDialogResult::drConfirmed;
    case cdrFailed: return TDialogResult::drFailed;
    default: return TDialogResult::drUnavailable;
    }
}

} // namespace css_plugin
