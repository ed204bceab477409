#include "cli/run/ProjectStart.h"

#include "cli/ReadableText.h"
#include "cli/run/ShellWords.h"
#include "platform/Exception.h"
#include "project/DownloadProject.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vorlin::cli {

bool LoadExistingProject(const std::string& file, TDownloadProject& project, std::string& error) {
    try {
        TProjectLoadReport report = project.LoadFromFile(file);
        if (!report.ReadError.empty()) {
            error = file + ": " + report.ReadError;
            return false;
        }
    } catch (const std::exception& e) {
        error = file + ": " + e.what();
        return false;
    }
    project.IsNew = false;
    return true;
}

std::string LastDownloadText(const TDownloadProject& project) {
    if (project.LastDownloadDate == 0) return "never";
    // The run notes the day it started, without the time.
    const std::string text = DateText(project.LastDownloadDate);
    return text.size() >= 16 && text.compare(10, 6, " 00:00") == 0 ? text.substr(0, 10) : text.substr(0, 16);
}

std::string ExistingProjectNote(const TDownloadProject& project) {
    if (project.LastDownloadDate == 0) return "never downloaded";
    return "last downloaded " + LastDownloadText(project) + ": this run resumes or updates it";
}

bool HomeWasChosen(const TRunOptions& options) {
    const char* variable = std::getenv("HTTPVORLIN_HOME");
    return !options.Home.empty() || (variable && *variable);
}

std::vector<std::string> ResumeWords(const TRunOptions& options, const std::string& home,
                                     const std::string& projectFile) {
    std::vector<std::string> words = {ProgramCommandName(), "run"};
    if (HomeWasChosen(options)) {
        words.push_back("--home");
        words.push_back(home);
    }
    words.push_back(projectFile);
    return words;
}

TLogFile::~TLogFile() {
    if (FFile) std::fclose(FFile);
}

bool TLogFile::Open(const std::string& path, std::string& error) {
    FFile = std::fopen(path.c_str(), "w");
    if (!FFile) {
        error = "can't write the log file " + path + ": " + std::strerror(errno);
        return false;
    }
    // A line at a time, so that `tail -f` follows the run.
    std::setvbuf(FFile, nullptr, _IOLBF, 0);
    return true;
}

} // namespace vorlin::cli
