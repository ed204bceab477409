#include "cli/ProgramHelp.h"

#include "cli/Command.h"

#include <algorithm>

#ifndef VORLIN_VERSION
#define VORLIN_VERSION "unknown"
#endif

namespace vorlin::cli {

std::string VersionText() { return std::string("vorlin (HTTP Vorlin) ") + VORLIN_VERSION; }

const char* const kProgramSummary = "download web sites for offline browsing";

const char* const kProgramDescription =
    "vorlin downloads a web site over several connections at once into a local\n"
    "directory tree that mirrors the server's, rewrites the links of the stored\n"
    "pages so that the copy browses offline, and remembers every link in a\n"
    "project, so that a later run resumes an unfinished copy or updates a\n"
    "finished one, fetching only what the server reports as changed. It is the\n"
    "command line of HTTP Vorlin and shares its projects and settings with the\n"
    "desktop program HTTPVorlin.\n";

const std::vector<THelpSection>& ProgramHelpSections() {
    static const std::vector<THelpSection> sections = {
        {"Output",
         "Log lines go to standard output, errors to standard error (red on a\n"
         "terminal), and on a terminal a status line under them shows the progress.\n"
         "Files that the server reports unchanged are counted into the summary at\n"
         "the end (new, updated, unchanged, filtered out, failed, bytes, time,\n"
         "rate); -v prints them, each connection's status and internal warnings,\n"
         "-q prints errors only, -o FILE writes the log into FILE. An address is\n"
         "shown with its password as \"***\". Ctrl-C once stops the run in order,\n"
         "keeps what it has learnt and prints the command that resumes it; twice\n"
         "ends at once.\n"},
        {"Manners toward servers",
         "A run reads each server's robots.txt before anything else from it and\n"
         "leaves out what it refuses to our User-Agent's first word or to \"*\" (each\n"
         "refused address is a log line naming the rule, and counts as filtered\n"
         "out); --no-robots ignores it. --wait SECONDS spaces the requests to one\n"
         "server, while other servers go on (without it, robots.txt's Crawl-delay\n"
         "does, up to 60 s); --random-wait varies it, --limit-rate caps the whole\n"
         "run's rate. Cookies that servers set are sent back within the run;\n"
         "--load-cookies reads a cookies.txt exported from a browser (for sites\n"
         "behind a login), --save-cookies writes one at the end. All of these stay\n"
         "with the project, in NAME.prj.manners.\n"},
        {"Files",
         "The program directory holds the projects and settings that vorlin and\n"
         "HTTPVorlin share: --home DIR, else $HTTPVORLIN_HOME, else the program's\n"
         "own directory; a program installed where the user can't write keeps it\n"
         "in $XDG_DATA_HOME/HTTPVorlin, else in ~/.local/share/HTTPVorlin.\n"
         "  Projects/        the project tree: \"Projects\", \"Quick Projects\", \"Templates\"\n"
         "  NAME.prj         a project's settings (readable by its owner only)\n"
         "  NAME.dat         the links of a project's runs (owner only)\n"
         "  NAME.prj.manners  robots.txt, waits, rate limit, cookies files (owner only)\n"
         "  HttpVorlin.ini   the program settings (owner only)\n"
         "  passwords.lst    user names and passwords of protected sites (owner only)\n"
         "  Plugins/         plugins (the program's own when the directory has none)\n"},
        {"Environment",
         "  HTTPVORLIN_HOME  the program directory, unless --home names one\n"
         "  XDG_DATA_HOME    where an installed program keeps its program directory\n"},
        {"Exit status",
         "  0                done (with -i: every address)\n"
         "  1                could not start, or ended on an error\n"
         "  2                bad arguments\n"
         "  130              stopped with Ctrl-C\n"},
        {"Examples",
         "  vorlin get http://www.example.org/docs/ ~/offline/docs\n"
         "                   download a site; the same command later updates the copy\n"
         "  vorlin get -c 8 -m mirror -i sites.txt\n"
         "                   mirror every address of a list, eight connections each\n"
         "  vorlin list\n"
         "                   the projects with their addresses, targets and sizes\n"
         "  vorlin run \"/Quick Projects/www.example.org\"\n"
         "                   run a project again: resume or update it\n"},
    };
    return sections;
}

std::string ProgramHelp() {
    std::string text = "usage: vorlin <command> [options] [arguments]\n"
                       "       vorlin --version\n\n";
    text += std::string("vorlin: ") + kProgramSummary + ".\n" + kProgramDescription + "\ncommands:\n";
    std::vector<TCommand> sorted = Commands();
    std::sort(sorted.begin(), sorted.end(), [](const TCommand& a, const TCommand& b) { return a.Name < b.Name; });
    for (const TCommand& c : sorted) {
        std::string name = c.Name;
        name.resize(std::max<size_t>(name.size() + 2, 16), ' ');
        text += "  " + name + c.Summary + "\n";
    }
    text += "\n'vorlin <command> --help' (or 'vorlin help <command>') describes a command.\n";
    for (const THelpSection& section : ProgramHelpSections())
        text += std::string("\n") + section.Title + ":\n" + section.Text;
    return text;
}

} // namespace vorlin::cli
