// What `vorlin get` and `vorlin run` share before a run starts: reading an
// existing project, the note that says which project is run, the command
// that resumes it, and the log file of -o.
#pragma once

#include "cli/run/RunOptions.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vorlin {
class TDownloadProject;
}

namespace vorlin::cli {

// Reads a project file; false with a message when it can't be read whole.
bool LoadExistingProject(const std::string& file, TDownloadProject& project, std::string& error);

// "2024-05-01" (the day the last run started), "never".
std::string LastDownloadText(const TDownloadProject& project);
// "last downloaded 2024-05-01: this run resumes or updates it", "never downloaded".
std::string ExistingProjectNote(const TDownloadProject& project);

// The program directory was chosen (--home or $HTTPVORLIN_HOME): a command
// that repeats the run must name it.
bool HomeWasChosen(const TRunOptions& options);

// The words of the command that runs the project again: the program, "run",
// the program directory when it was chosen (--home or $HTTPVORLIN_HOME) and
// the project file.
std::vector<std::string> ResumeWords(const TRunOptions& options, const std::string& home,
                                     const std::string& projectFile);

// The file of -o, opened for writing (truncated, as wget does) and closed at
// the end; none when -o was not given.
class TLogFile {
public:
    TLogFile() = default;
    ~TLogFile();
    TLogFile(const TLogFile&) = delete;
    TLogFile& operator=(const TLogFile&) = delete;

    // False with a message when the file can't be written.
    bool Open(const std::string& path, std::string& error);
    FILE* Stream() const { return FFile; }

private:
    FILE* FFile = nullptr;
};

} // namespace vorlin::cli
