// `vorlin get URL [DIR]`: makes a quick project for the address and runs it.
#include "cli/Command.h"
#include "platform/ProgramHome.h"
#include "cli/run/ProgramSettingsStore.h"
#include "cli/run/ProjectRunner.h"
#include "cli/run/QuickProject.h"
#include "cli/run/RunOptions.h"

#include "platform/FileSystem.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace vorlin::cli {

namespace {

const char* const kUsage =
    "usage: vorlin get [options] URL [DIR]\n"
    "Makes a project for URL in \"Projects/Quick Projects\" of the program\n"
    "directory (named after the host) that stores the site in DIR (default: the\n"
    "default download directory of the settings, else ./HOST), runs it, and\n"
    "prints the project file's path; 'vorlin run' resumes or updates it later.\n"
    "The options are kept in the project file and in HttpVorlin.ini.\n"
    "Exit status: 0 done, 1 could not start or ended on an error, 2 bad\n"
    "arguments, 130 stopped with Ctrl-C.\n\noptions:\n";

// Where the site goes when no DIR is given.
std::string DefaultTarget(const TProgramSettings& settings, const std::string& host) {
    if (!settings.DefaultDownloadDir.empty()) return settings.DefaultDownloadDir;
    return std::filesystem::current_path().string() + "/" + CleanCaption(host);
}

int Get(const std::vector<std::string>& args) {
    TRunOptions options;
    std::string error;
    if (!ParseRunOptions(args, options, error)) {
        std::fprintf(stderr, "vorlin get: %s\n", error.c_str());
        return kExitUsage;
    }
    if (options.Help) {
        std::cout << kUsage << RunOptionsHelp();
        return kExitOk;
    }
    if (options.Arguments.empty() || options.Arguments.size() > 2) {
        std::cerr << kUsage << RunOptionsHelp();
        return kExitUsage;
    }
    const std::string& url = options.Arguments[0];
    std::string host = HostOfURL(url);
    if (host.empty()) {
        std::fprintf(stderr, "vorlin get: '%s' names no host\n", url.c_str());
        return kExitUsage;
    }

    const std::string home = ProgramHome(options.Home);
    TProgramSettings settings;
    if (!LoadProgramSettings(home, settings, error)) {
        std::fprintf(stderr, "vorlin get: %s\n", error.c_str());
        return kExitFailure;
    }
    if (options.ApplyTo(settings) && !SaveProgramSettings(home, settings, error)) {
        std::fprintf(stderr, "vorlin get: %s\n", error.c_str());
        return kExitFailure;
    }

    std::string target = options.Arguments.size() > 1 ? options.Arguments[1] : DefaultTarget(settings, host);
    target = IncludeTrailingSlash(AbsolutePath(target));

    const std::string folder = QuickProjectsDirectory(home);
    if (!ForceDirectories(folder)) {
        std::fprintf(stderr, "vorlin get: can't create %s\n", folder.c_str());
        return kExitFailure;
    }
    const std::string projectFile = folder + UniqueCaption(folder, CleanCaption(host)) + ".prj";

    TDownloadProject project;
    SetNewProjectDefaults(project);
    project.URL = url;
    project.Destination = target;
    options.ApplyTo(project);
    project.SaveToFile(projectFile);

    TRunRequest request;
    request.Home = home;
    request.ProjectFile = projectFile;
    request.NewProject = true;
    request.Verbosity = options.Verbosity;
    int status = RunProject(project, settings, request);
    std::printf("%s\n", projectFile.c_str());
    return status;
}

} // namespace

VORLIN_COMMAND("get", "download a site into a new quick project", Get);

} // namespace vorlin::cli
