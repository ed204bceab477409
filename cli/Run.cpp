// `vorlin run PROJECT`: runs an existing project again, resuming an
// unfinished download or updating a finished one. The project is named as
// `vorlin list` shows it, or by its file.
#include "cli/Command.h"
#include "cli/run/ProgramSettingsStore.h"
#include "cli/run/TerminalLanguage.h"
#include "cli/run/ProjectRunner.h"
#include "cli/run/ProjectStart.h"
#include "cli/run/ProjectTree.h"
#include "cli/run/RunOptions.h"

#include "platform/ProgramHome.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"

#include <cstdio>
#include <iostream>

namespace vorlin::cli {

namespace {

const char* const kUsage =
    "usage: vorlin run [options] PROJECT\n"
    "Runs the project: an unfinished download goes on where it stopped, a\n"
    "finished one is updated (only what the server reports as changed is\n"
    "fetched). PROJECT is a name as 'vorlin list' shows it\n"
    "(\"/Quick Projects/www.example.org\", the first \"/\" may be left out), a\n"
    "project's name alone when no other project has it, or the path of its\n"
    "\".prj\" file. Options given are kept for the next runs.\n"
    "Exit status: 0 done, 1 could not start or ended on an error, 2 bad\n"
    "arguments, 130 stopped with Ctrl-C.\n\noptions:\n";

int Refuse(const std::string& message) {
    std::fprintf(stderr, "vorlin run: %s\n", message.c_str());
    return kExitUsage;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "vorlin run: %s\n", message.c_str());
    return kExitFailure;
}

int Run(const std::vector<std::string>& args) {
    TRunOptions options;
    std::string error;
    if (!ParseRunOptions(args, options, error)) return Refuse(error + "; see 'vorlin run --help'");
    if (options.Help) {
        std::cout << kUsage << RunOptionsHelp();
        return kExitOk;
    }
    if (!options.InputFile.empty()) return Refuse("-i belongs to 'vorlin get'");
    if (options.NewProject) return Refuse("--new belongs to 'vorlin get'");
    if (options.Arguments.empty())
        return Refuse("no project given; usage: vorlin run [options] PROJECT ('vorlin list' shows the projects)");
    if (options.Arguments.size() > 1)
        return Refuse("one project at a time, not " + std::to_string(options.Arguments.size()));

    const std::string home = ProgramHome(options.Home);
    const std::string projectFile = ResolveProject(home, options.Arguments[0], error);
    if (projectFile.empty()) return Fail(error);

    TProgramSettings settings;
    if (!LoadProgramSettings(home, settings, error)) return Fail(error);
    TDownloadProject project;
    if (!LoadExistingProject(projectFile, project, error)) return Fail(error);
    TLogFile log;
    if (!options.OutputFile.empty() && !log.Open(options.OutputFile, error)) return Fail(error);
    if (!UseLanguage(home, options.Language.value_or(settings.Language), options.Language.has_value(), error))
        return Refuse(error);
    if (options.ApplyTo(settings) && !SaveProgramSettings(home, settings, error)) return Fail(error);
    options.ApplyTo(project);

    TRunRequest request;
    request.Home = home;
    request.ProjectFile = projectFile;
    request.Verbosity = options.Verbosity;
    request.ShowDebugLog = options.ShowsDebugLog();
    request.ProjectNote = ExistingProjectNote(project);
    request.ResumeCommand = ResumeWords(options, home, projectFile);
    request.LogFile = log.Stream();
    return RunProject(project, settings, request);
}

} // namespace

VORLIN_COMMAND("run", "run a project again: resume or update it", Run);

} // namespace vorlin::cli
