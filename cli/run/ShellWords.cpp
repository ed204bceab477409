#include "cli/run/ShellWords.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace vorlin::cli {

namespace {

bool SafeCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || std::strchr("/._-+:,@%=", c);
}

} // namespace

std::string ShellQuoted(const std::string& word) {
    bool safe = !word.empty() && word[0] != '~' && word[0] != '=';
    for (char c : word) safe = safe && SafeCharacter(c);
    if (safe) return word;
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string ShellCommand(const std::vector<std::string>& words) {
    std::string command;
    for (const std::string& word : words) command += (command.empty() ? "" : " ") + ShellQuoted(word);
    return command;
}

std::string ProgramCommandName() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "vorlin";
    const char* path = std::getenv("PATH");
    std::string directories = path ? path : "";
    size_t start = 0;
    while (start <= directories.size()) {
        size_t colon = directories.find(':', start);
        if (colon == std::string::npos) colon = directories.size();
        const std::string directory = directories.substr(start, colon - start);
        start = colon + 1;
        if (directory.empty() || directory[0] != '/') continue;
        const std::filesystem::path candidate = std::filesystem::path(directory) / "vorlin";
        if (!std::filesystem::exists(candidate, error)) continue;
        // The first "vorlin" on the path is what the shell runs.
        return std::filesystem::equivalent(candidate, self, error) ? "vorlin" : self.string();
    }
    return self.string();
}

} // namespace vorlin::cli
