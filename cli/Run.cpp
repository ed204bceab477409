// `vorlin run PROJECT.prj`: runs an existing project again, resuming an
// unfinished download or updating a finished one.
#include "cli/Command.h"
#include "platform/ProgramHome.h"
#include "cli/run/ProgramSettingsStore.h"
#include "cli/run/ProjectRunner.h"
#include "cli/run/RunOptions.h"

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"

#include <cstdio>
#include <iostream>

namespace vorlin::cli {

namespace {

const char* const kUsage =
    "usage: vorlin run [options] PROJECT.prj\n"
    "Runs the project: an unfinished download goes on where it stopped, a\n"
    "finished one is updated (only what the server reports as changed is\n"
    "fetched). Options given are kept for the next runs.\n"
    "Exit status: 0 done, 1 could not start or ended on an error, 2 bad\n"
    "arguments, 130 stopped with Ctrl-C.\n\noptions:\n";

int Run(const std::vector<std::string>& args) {
    TRunOptions options;
    std::string error;
    if (!ParseRunOptions(args, options, error)) {
        std::fprintf(stderr, "vorlin run: %s\n", error.c_str());
        return kExitUsage;
    }
    if (options.Help) {
        std::cout << kUsage << RunOptionsHelp();
        return kExitOk;
    }
    if (options.Arguments.size() != 1) {
        std::cerr << kUsage << RunOptionsHelp();
        return kExitUsage;
    }
    const std::string projectFile = AbsolutePath(options.Arguments[0]);
    if (!FileExists(projectFile)) {
        std::fprintf(stderr, "vorlin run: no project file %s\n", projectFile.c_str());
        return kExitFailure;
    }

    const std::string home = ProgramHome(options.Home);
    TProgramSettings settings;
    if (!LoadProgramSettings(home, settings, error)) {
        std::fprintf(stderr, "vorlin run: %s\n", error.c_str());
        return kExitFailure;
    }
    if (options.ApplyTo(settings) && !SaveProgramSettings(home, settings, error)) {
        std::fprintf(stderr, "vorlin run: %s\n", error.c_str());
        return kExitFailure;
    }

    TDownloadProject project;
    try {
        TProjectLoadReport report = project.LoadFromFile(projectFile);
        if (!report.ReadError.empty()) {
            std::fprintf(stderr, "vorlin run: %s: %s\n", projectFile.c_str(), report.ReadError.c_str());
            return kExitFailure;
        }
    } catch (const Exception& e) {
        std::fprintf(stderr, "vorlin run: %s: %s\n", projectFile.c_str(), e.Message().c_str());
        return kExitFailure;
    }
    project.IsNew = false;
    options.ApplyTo(project);

    TRunRequest request;
    request.Home = home;
    request.ProjectFile = projectFile;
    request.Verbosity = options.Verbosity;
    return RunProject(project, settings, request);
}

} // namespace

VORLIN_COMMAND("run", "run a project again: resume or update it", Run);

} // namespace vorlin::cli
