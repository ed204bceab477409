#include "cli/ManPage.h"

#include "cli/Command.h"
#include "cli/ProgramHelp.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace vorlin::cli {

namespace {

// Text as roff reads it literally: backslashes and minus signs escaped, and
// a line never beginning with a control character.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
    return out;
}

size_t Indent(const std::string& line) {
    size_t n = line.find_first_not_of(' ');
    return n == std::string::npos ? line.size() : n;
}

std::string Trimmed(const std::string& line) {
    size_t start = Indent(line);
    size_t end = line.find_last_not_of(' ');
    return end == std::string::npos ? "" : line.substr(start, end + 1 - start);
}

// "  -c, --connections N   ..." (options without a short name are indented
// further, to line up) or "  TERM   text".
bool IsEntry(const std::string& line) {
    const size_t indent = Indent(line);
    return indent >= 1 && indent < line.size() && (indent <= 4 || (indent <= 8 && line[indent] == '-'));
}

// A continuation of an entry's text, indented under it (deep in its column
// even when a wrapped line starts with "-").
bool IsEntryText(const std::string& line) {
    const size_t indent = Indent(line);
    return indent < line.size() && (indent >= 10 || (indent >= 5 && line[indent] != '-'));
}

// The split of "  TERM   text" at its first gap of two blanks; false
// when the line has none (it is then text).
bool SplitEntry(const std::string& line, std::string& term, std::string& text) {
    const size_t start = Indent(line);
    const size_t gap = line.find("  ", start);
    if (gap == std::string::npos) {
        // A term alone on its line ("  --download-dir DIR"), its text below.
        if (line[start] != '-') return false;
        term = Trimmed(line);
        text.clear();
        return true;
    }
    term = line.substr(start, gap - start);
    text = Trimmed(line.substr(gap));
    return true;
}

class TRoffWriter {
public:
    void Synopsis(const std::string& line) {
        CloseParagraph();
        if (!FInSynopsis) FOut << ".PP\n.nf\n";
        FInSynopsis = true;
        std::string command = line;
        // "vorlin get" in bold, the rest as it stands.
        size_t second = command.find(' ', command.find(' ') + 1);
        if (command.rfind("vorlin ", 0) == 0 && second != std::string::npos)
            FOut << "\\fB" << Escaped(command.substr(0, second)) << "\\fR" << Escaped(command.substr(second)) << "\n";
        else
            FOut << Escaped(command) << "\n";
    }
    void Text(const std::string& line) {
        EndSynopsis();
        FParagraph.push_back(line);
    }
    void Entry(const std::string& term, const std::string& text) {
        EndSynopsis();
        CloseParagraph();
        FOut << ".TP\n\\fB" << Escaped(term) << "\\fR\n";
        if (!text.empty()) FOut << Escaped(text) << "\n";
        FInEntry = true;
    }
    bool InEntry() const { return FInEntry; }
    void EntryText(const std::string& text) { FOut << Escaped(text) << "\n"; }
    void Break() {
        EndSynopsis();
        CloseParagraph();
        FInEntry = false;
    }
    std::string Finish() {
        Break();
        return FOut.str();
    }

private:
    void EndSynopsis() {
        if (FInSynopsis) FOut << ".fi\n";
        FInSynopsis = false;
    }
    void CloseParagraph() {
        if (FParagraph.empty()) return;
        const bool heading = FParagraph.size() == 1 && FParagraph[0].back() == ':';
        FOut << ".PP\n";
        if (heading)
            FOut << "\\fB" << Escaped(FParagraph[0]) << "\\fR\n";
        else
            for (const std::string& line : FParagraph) FOut << Escaped(line) << "\n";
        FParagraph.clear();
        FInEntry = false;
    }

    std::ostringstream FOut;
    std::vector<std::string> FParagraph;
    bool FInSynopsis = false;
    bool FInEntry = false;
};

// What a command prints for --help, caught from standard output.
std::string CapturedHelp(const TCommand& command) {
    std::cout.flush();
    std::fflush(stdout);
    FILE* capture = std::tmpfile();
    if (!capture) return "";
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(::fileno(capture), STDOUT_FILENO);
    command.Run({"--help"});
    std::cout.flush();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    std::string text;
    std::rewind(capture);
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, capture)) > 0;) text.append(buffer, n);
    std::fclose(capture);
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::string HelpToRoff(const std::string& help) {
    TRoffWriter roff;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        if (Trimmed(line).empty()) {
            roff.Break();
        } else if (line.rfind("usage: ", 0) == 0) {
            roff.Synopsis(Trimmed(line.substr(7)));
        } else if (line.rfind("       vorlin ", 0) == 0) {
            roff.Synopsis(Trimmed(line));
        } else if (IsEntryText(line) && roff.InEntry()) {
            roff.EntryText(Trimmed(line));
        } else if (std::string term, text; IsEntry(line) && SplitEntry(line, term, text)) {
            roff.Entry(term, text);
        } else {
            roff.Text(Trimmed(line));
        }
    }
    return roff.Finish();
}

std::string ManPage() {
    std::string page = ".\\\" The manual page of vorlin, made by `vorlin help --man` from its help texts.\n";
    page += ".TH VORLIN 1 \"\" \"" + Escaped(VersionText()) + "\" \"User Commands\"\n";
    page += ".SH NAME\nvorlin \\- " + Escaped(kProgramSummary) + "\n";
    page += ".SH SYNOPSIS\n.nf\n\\fBvorlin\\fR \\fIcommand\\fR [options] [arguments]\n\\fBvorlin \\-\\-version\\fR\n.fi\n";
    page += ".SH DESCRIPTION\n" + HelpToRoff(kProgramDescription);
    page += ".SH COMMANDS\n";
    std::vector<TCommand> sorted = Commands();
    std::sort(sorted.begin(), sorted.end(), [](const TCommand& a, const TCommand& b) { return a.Name < b.Name; });
    for (const TCommand& command : sorted) {
        page += ".SS " + Escaped(command.Name) + "\n" + Escaped(command.Summary) + ".\n";
        page += HelpToRoff(CapturedHelp(command));
    }
    for (const THelpSection& section : ProgramHelpSections())
        page += ".SH " + Escaped(Upper(section.Title)) + "\n" + HelpToRoff(section.Text);
    return page;
}

} // namespace vorlin::cli
