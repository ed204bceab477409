// `vorlin plugins`: lists the plugins in the program directory's "Plugins/"
// folder with what they can do, and switches a plugin on or off for one
// project the way the options dialog's check box does.
#include "cli/Command.h"

#include "platform/ProgramHome.h"
#include "platform/FileSystem.h"
#include "rules/PluginOptionsPage.h"
#include "rules/PluginSystem.h"

#include <cstdio>
#include <iostream>

namespace vorlin::cli {

namespace {

const char* const cUsage =
    "usage: vorlin plugins [--home DIR]\n"
    "       vorlin plugins enable|disable [--home DIR] PROJECT.prj NAME\n"
    "\n"
    "Lists the plugins that runs load, from DIR/Plugins (DIR: --home, else\n"
    "$HTTPVORLIN_HOME, else the program's directory; a DIR without a \"Plugins\"\n"
    "folder uses the program's own) with their capabilities, or enables or\n"
    "disables the plugin NAME for the project PROJECT.prj (its settings are\n"
    "kept in PROJECT.prj.plugins).\n";

std::string CapabilityText(uint16_t flags) {
    static const std::pair<uint16_t, const char*> names[] = {{vorlin_sdk::PLUGIN_CAP_PARSER, "parser"},
                                                             {vorlin_sdk::PLUGIN_CAP_FILTER, "filter"},
                                                             {vorlin_sdk::PLUGIN_CAP_DOWNLOAD, "download"},
                                                             {vorlin_sdk::PLUGIN_CAP_HTMLPARSER, "html-parser"}};
    std::string text;
    for (auto& [bit, name] : names)
        if (flags & bit) text += (text.empty() ? "" : ",") + std::string(name);
    return text.empty() ? "-" : text;
}

// One line per plugin: name, capabilities, library.
void ListPlugins(const TPluginSystem& plugins) {
    if (plugins.Count() == 0) {
        std::cout << "no plugins\n";
        return;
    }
    for (auto& p : plugins.Plugins()) {
        std::string capabilities;
        try {
            capabilities = p->Plugin ? CapabilityText(TPluginSystem::CapabilitiesOf(*p)) : "(not initialised)";
        } catch (const std::exception& e) {
            capabilities = std::string("(") + e.what() + ")";
        }
        std::cout << p->Name << "\t" << capabilities << "\t" << p->FileName << "\n";
    }
}

int SwitchPlugin(const TPluginSystem& plugins, bool enable, const std::string& projectFile, const std::string& name) {
    if (!FileExists(projectFile)) {
        std::fprintf(stderr, "vorlin plugins: no project file %s\n", projectFile.c_str());
        return kExitFailure;
    }
    const std::vector<std::string>& names = plugins.PluginNames();
    size_t index = 0;
    while (index < names.size() && names[index] != name) ++index;
    if (index == names.size() || !plugins.Plugins()[index]->Plugin) {
        std::fprintf(stderr, "vorlin plugins: no usable plugin named %s\n", name.c_str());
        return kExitFailure;
    }
    std::string archive = projectFile + ".plugins";
    std::vector<bool> checked = PluginPageShown(plugins, archive);
    checked[index] = enable;
    PluginPageClosed(plugins, archive, checked);
    std::cout << name << (enable ? " enabled" : " disabled") << " for " << projectFile << "\n";
    return kExitOk;
}

int RunPlugins(const std::vector<std::string>& args) {
    std::string home;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::cout << cUsage;
            return kExitOk;
        }
        if (args[i] == "--home") {
            if (i + 1 >= args.size()) {
                std::cerr << "vorlin plugins: --home needs a directory; see 'vorlin plugins --help'\n";
                return kExitUsage;
            }
            home = args[++i];
        } else {
            words.push_back(args[i]);
        }
    }
    bool list = words.empty();
    bool switching = words.size() == 3 && (words[0] == "enable" || words[0] == "disable");
    if (!list && !switching) {
        std::cerr << "vorlin plugins: expected nothing (the list) or enable|disable PROJECT.prj NAME; "
                     "see 'vorlin plugins --help'\n";
        return kExitUsage;
    }
    // The same folder the runs load their plugins from.
    TPluginSystem plugins(PluginDirectory(ProgramHome(home)), [](const std::string& message) {
        std::fprintf(stderr, "vorlin plugins: %s\n", message.c_str());
    });
    plugins.Load();
    plugins.Initialize();
    int status = list ? (ListPlugins(plugins), kExitOk) : SwitchPlugin(plugins, words[0] == "enable", words[1], words[2]);
    plugins.Deinitialize();
    return status;
}

} // namespace

VORLIN_COMMAND("plugins", "list the plugins, or enable or disable one for a project", RunPlugins);

} // namespace vorlin::cli
