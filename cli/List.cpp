// `vorlin list`: the project tree of the program directory, one row per
// folder and project: its name (what `vorlin run` takes), start URL, target
// directory, last download and size.
#include "cli/Command.h"
#include "cli/ReadableText.h"
#include "cli/run/ProjectStart.h"
#include "cli/run/ProjectTree.h"
#include "cli/run/StatusLine.h"
#include "cli/run/TerminalText.h"

#include "platform/ProgramHome.h"
#include "project/DownloadProject.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace vorlin::cli {

namespace {

const char* const kUsage =
    "usage: vorlin list [--home DIR]\n"
    "Lists the project tree of the program directory (DIR: --home, else\n"
    "$HTTPVORLIN_HOME, else the program's own directory or, for an installed\n"
    "program, ~/.local/share/HTTPVorlin): the folders \"Projects\", \"Quick\n"
    "Projects\" and \"Templates\" with their folders and projects, each with its\n"
    "start URL, target directory, last download and size. The name in the\n"
    "first column is what 'vorlin run' takes.\n";

using TRow = std::vector<std::string>;

TRow ProjectRow(const TProjectNode& node) {
    TDownloadProject project;
    try {
        TProjectLoadReport report = project.LoadFromFile(node.File);
        if (!report.ReadError.empty()) return {node.NodePath, "(damaged: " + report.ReadError + ")"};
    } catch (const std::exception& e) {
        return {node.NodePath, std::string("(unreadable: ") + e.what() + ")"};
    }
    return {node.NodePath, ShownStartURL(project.URL), project.Destination.empty() ? "-" : project.Destination,
            LastDownloadText(project),
            FormatBytes(project.ProjectSize)};
}

// Columns as wide as their widest cell; the last one not padded.
void PrintRows(std::vector<TRow> rows) {
    std::vector<size_t> widths;
    for (TRow& row : rows)
        for (size_t i = 0; i < row.size(); ++i) {
            row[i] = PrintableText(row[i]);
            if (widths.size() <= i) widths.push_back(0);
            widths[i] = std::max(widths[i], CharacterCount(row[i]));
        }
    for (const TRow& row : rows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::string(widths[i] - CharacterCount(row[i]) + 2, ' ');
        }
        std::cout << line << "\n";
    }
}

int List(const std::vector<std::string>& args) {
    std::string homeOption;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::cout << kUsage;
            return kExitOk;
        }
        if (args[i] == "--home" && i + 1 < args.size()) {
            homeOption = args[++i];
        } else if (args[i].rfind("--home=", 0) == 0) {
            homeOption = args[i].substr(7);
        } else {
            std::fprintf(stderr, "vorlin list: unexpected '%s'; see 'vorlin list --help'\n", args[i].c_str());
            return kExitUsage;
        }
    }
    const std::string home = ProgramHome(homeOption);
    std::vector<TRow> rows = {{"NAME", "URL", "TARGET", "LAST DOWNLOAD", "SIZE"}};
    for (const TProjectNode& node : ListProjectTree(home))
        rows.push_back(node.Kind == TNodeKind::nkFolder ? TRow{node.NodePath + "/"} : ProjectRow(node));
    std::cout << "Projects of " << home << "\n";
    PrintRows(rows);
    return kExitOk;
}

} // namespace

VORLIN_COMMAND("list", "list the projects, folders and templates with their URL, target and size", List);

} // namespace vorlin::cli
