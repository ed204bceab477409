// `vorlin get URL [DIR]`: downloads a site. A project that already has this
// address is run again (it resumes or updates); otherwise a quick project
// is made for it. With -i FILE it does so for each address of a list.
#include "cli/Command.h"
#include "cli/run/Interrupt.h"
#include "cli/run/ProgramSettingsStore.h"
#include "cli/run/TerminalLanguage.h"
#include "cli/run/ProjectRunner.h"
#include "cli/run/ProjectStart.h"
#include "cli/run/ProjectTree.h"
#include "cli/run/QuickProject.h"
#include "cli/run/RunOptions.h"
#include "cli/run/ShellWords.h"

#include "platform/FileSystem.h"
#include "platform/HiddenPasswords.h"
#include "platform/ProgramHome.h"
#include "platform/StringUtils.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace vorlin::cli {

namespace {

const char* const kUsage =
    "usage: vorlin get [options] URL [DIR]\n"
    "       vorlin get [options] -i FILE [DIR]\n"
    "Downloads the site at URL for offline browsing into DIR (default: the\n"
    "default download directory of the settings, else ./HOST). When a project\n"
    "of the program directory already has this address (and DIR, when given),\n"
    "that project runs again: it resumes an unfinished download or updates a\n"
    "finished one. Otherwise a project named after the host is made in\n"
    "\"Projects/Quick Projects\" (--new makes one in any case). The project is\n"
    "named at the start and its file's path printed at the end; 'vorlin run'\n"
    "runs it again. With -i, each address of FILE is downloaded in turn, one\n"
    "project each. The options are kept in the project file and in\n"
    "HttpVorlin.ini.\n"
    "Exit status: 0 done, 1 could not start or ended on an error, 2 bad\n"
    "arguments, 130 stopped with Ctrl-C.\n\noptions:\n";

const char* const kSeeHelp = "see 'vorlin get --help'";

int Refuse(const std::string& message) {
    std::fprintf(stderr, "vorlin get: %s\n", HideURLPasswords(message).c_str());
    return kExitUsage;
}

// A DIR like "http://host/" is a second address given by mistake.
bool LooksLikeURL(const std::string& text) {
    size_t scheme = text.find("://");
    if (scheme == std::string::npos || scheme == 0) return false;
    for (size_t i = 0; i < scheme; ++i)
        if (!std::isalpha(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// Where the site goes when no DIR is given.
std::string DefaultTarget(const TProgramSettings& settings, const std::string& host) {
    if (!settings.DefaultDownloadDir.empty()) return settings.DefaultDownloadDir;
    return std::filesystem::current_path().string() + "/" + CleanCaption(host);
}

// What every address of one `vorlin get` shares.
struct TGetContext {
    const TRunOptions& Options;
    std::string Home;
    TProgramSettings Settings;
    FILE* LogFile = nullptr;
};

// A line of the front end itself: into the log (-o) or onto the terminal;
// with -q only when it tells of a failure.
void Say(const TGetContext& context, const std::string& text, bool failure = false) {
    if (!failure && context.Options.Verbosity == TVerbosity::vbQuiet) return;
    FILE* stream = context.LogFile ? context.LogFile : failure ? stderr : stdout;
    std::fprintf(stream, "%s\n", HideURLPasswords(text).c_str());
    std::fflush(stream);
    // The terminal hears of a failure even when the log goes into a file.
    if (failure && context.LogFile) std::fprintf(stderr, "%s\n", HideURLPasswords(text).c_str());
}

// Downloads one address; answers the exit status.
int GetOne(const TGetContext& context, const std::string& url, const std::string& dir) {
    const TRunOptions& options = context.Options;
    const std::string host = HostOfURL(url);
    const std::string target =
        IncludeTrailingSlash(AbsolutePath(dir.empty() ? DefaultTarget(context.Settings, host) : dir));

    TRunRequest request;
    request.Home = context.Home;
    request.Verbosity = options.Verbosity;
    request.ShowDebugLog = options.ShowsDebugLog();
    request.LogFile = context.LogFile;

    TDownloadProject project;
    std::string existing = options.NewProject ? "" : FindProjectForURL(context.Home, url, dir.empty() ? "" : target);
    if (!existing.empty()) {
        std::string error;
        if (!LoadExistingProject(existing, project, error)) {
            std::fprintf(stderr, "vorlin get: %s\n", error.c_str());
            return kExitFailure;
        }
        request.ProjectFile = existing;
        request.ProjectNote = "has this address, " + ExistingProjectNote(project) + " (--new makes another)";
    } else {
        const std::string folder = QuickProjectsDirectory(context.Home);
        if (!ForceDirectories(folder)) {
            std::fprintf(stderr, "vorlin get: can't create %s\n", folder.c_str());
            return kExitFailure;
        }
        request.ProjectFile = folder + UniqueCaption(folder, CleanCaption(host)) + ".prj";
        request.NewProject = true;
        request.ProjectNote = "a new project";
        SetNewProjectDefaults(project);
        project.URL = url;
        project.Destination = target;
    }
    options.ApplyTo(project);
    try {
        project.SaveToFile(request.ProjectFile);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorlin get: %s\n", e.what());
        return kExitFailure;
    }
    request.ResumeCommand = ResumeWords(options, context.Home, request.ProjectFile);
    int status = RunProject(project, context.Settings, request);
    std::printf("%s\n", request.ProjectFile.c_str());
    std::fflush(stdout);
    return status;
}

// The addresses of -i: one a line; blank lines and "#" comments skipped.
bool ReadAddressList(const std::string& file, std::vector<std::string>& urls, std::string& error) {
    std::ifstream in;
    std::istream* stream = &std::cin;
    if (file != "-") {
        in.open(file);
        if (!in) {
            error = "can't read the address list " + file;
            return false;
        }
        stream = &in;
    }
    int number = 0;
    for (std::string line; std::getline(*stream, line);) {
        ++number;
        std::string url = Trim(line);
        if (url.empty() || url[0] == '#') continue;
        if (HostOfURL(url).empty()) {
            error = (file == "-" ? std::string("standard input") : file) + " line " + std::to_string(number) +
                    ": '" + url + "' names no host";
            return false;
        }
        urls.push_back(url);
    }
    if (urls.empty()) {
        error = "no addresses in " + (file == "-" ? std::string("standard input") : file);
        return false;
    }
    return true;
}

// -i: every address in turn, as the queue runs its projects; Ctrl-C stops
// the list. Answers the worst status of them.
int GetList(const TGetContext& context, const std::vector<std::string>& urls, const std::string& dir) {
    std::vector<std::string> failed;
    size_t done = 0;
    for (const std::string& url : urls) {
        Say(context, "Address " + std::to_string(done + 1) + " of " + std::to_string(urls.size()) + ": " +
                         ShownStartURL(url));
        const int status = GetOne(context, url, dir);
        ++done;
        if (status == kExitInterrupted) {
            std::vector<std::string> words = {ProgramCommandName(), "get"};
            if (HomeWasChosen(context.Options)) words.insert(words.end(), {"--home", context.Home});
            words.insert(words.end(), {"-i", context.Options.InputFile});
            if (!dir.empty()) words.push_back(dir);
            std::string text = std::to_string(urls.size() - done) + " of " + std::to_string(urls.size()) +
                               " addresses not started.";
            if (context.Options.InputFile != "-")
                text += " To go on with the list (what is done is only checked for updates): " + ShellCommand(words);
            Say(context, text, true);
            return kExitInterrupted;
        }
        if (status != kExitOk) failed.push_back(url);
    }
    if (failed.empty()) return kExitOk;
    std::string text = std::to_string(failed.size()) + " of " + std::to_string(urls.size()) + " addresses failed:";
    for (const std::string& url : failed) text += "\n  " + ShownStartURL(url);
    Say(context, text, true);
    return kExitFailure;
}

int Get(const std::vector<std::string>& args) {
    TRunOptions options;
    std::string error;
    if (!ParseRunOptions(args, options, error)) return Refuse(error + "; " + kSeeHelp);
    if (options.Help) {
        std::cout << kUsage << RunOptionsHelp();
        return kExitOk;
    }
    const std::vector<std::string>& arguments = options.Arguments;
    std::vector<std::string> urls;
    std::string dir;
    if (!options.InputFile.empty()) {
        if (arguments.size() > 1 || (arguments.size() == 1 && LooksLikeURL(arguments[0])))
            return Refuse("with -i the addresses come from " + options.InputFile + "; give at most a DIR");
        if (!arguments.empty()) dir = arguments[0];
        if (!ReadAddressList(options.InputFile, urls, error)) return Refuse(error);
    } else {
        if (arguments.empty()) return Refuse(std::string("no URL given; usage: vorlin get [options] URL [DIR]; ") + kSeeHelp);
        if (arguments.size() > 2)
            return Refuse("too many arguments: one URL and at most one DIR (several addresses: -i FILE)");
        if (arguments.size() == 2 && LooksLikeURL(arguments[1]))
            return Refuse("'" + arguments[1] + "' is an address, not a directory: one URL at a time, "
                          "or several with -i FILE");
        if (HostOfURL(arguments[0]).empty()) return Refuse("'" + arguments[0] + "' names no host");
        urls.push_back(arguments[0]);
        if (arguments.size() == 2) dir = arguments[1];
    }

    TGetContext context{options, ProgramHome(options.Home), {}, nullptr};
    if (!LoadProgramSettings(context.Home, context.Settings, error)) {
        std::fprintf(stderr, "vorlin get: %s\n", error.c_str());
        return kExitFailure;
    }
    if (!UseLanguage(context.Home, options.Language.value_or(context.Settings.Language), options.Language.has_value(),
                     error))
        return Refuse(error);
    if (options.ApplyTo(context.Settings) && !SaveProgramSettings(context.Home, context.Settings, error)) {
        std::fprintf(stderr, "vorlin get: %s\n", error.c_str());
        return kExitFailure;
    }
    TLogFile log;
    if (!options.OutputFile.empty()) {
        if (!log.Open(options.OutputFile, error)) {
            std::fprintf(stderr, "vorlin get: %s\n", error.c_str());
            return kExitFailure;
        }
        context.LogFile = log.Stream();
    }
    if (options.InputFile.empty()) return GetOne(context, urls[0], dir);
    return GetList(context, urls, dir);
}

} // namespace

VORLIN_COMMAND("get", "download a site: a new quick project, or the one that has the address", Get);

} // namespace vorlin::cli
