#include "tests/e2e/support/Program.h"

#include "tests/e2e/support/SiteRun.h"

#include <fcntl.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace vorlin::test {
namespace {

std::vector<char*> Argv(const std::string& binary, std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

// The text of a JSON string value after "name": in line, unescaped for
// the escapes the program writes.
std::string StringField(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\": \"";
    size_t p = line.find(key);
    if (p == std::string::npos) return std::string();
    std::string value;
    for (p += key.size(); p < line.size() && line[p] != '"'; ++p) {
        if (line[p] == '\\' && p + 1 < line.size()) {
            char c = line[++p];
            if (c == 'u' && p + 4 < line.size()) {
                value += static_cast<char>(std::stoi(line.substr(p + 1, 4), nullptr, 16));
                p += 4;
            } else {
                value += c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
        } else {
            value += line[p];
        }
    }
    return value;
}

int IntField(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\": ";
    size_t p = line.find(key);
    return p == std::string::npos ? 0 : std::stoi(line.substr(p + key.size()));
}

} // namespace

pid_t StartProgram(const std::string& binary, const std::vector<std::string>& arguments, const std::string& outputDir) {
    std::vector<std::string> args = arguments;
    std::vector<char*> argv = Argv(binary, args);
    const std::string out = outputDir + "/stdout", err = outputDir + "/stderr";
    pid_t pid = ::fork();
    if (pid == 0) {
        int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int in = ::open("/dev/null", O_RDONLY);
        if (o < 0 || e < 0 || in < 0) ::_exit(126);
        ::dup2(in, 0);
        ::dup2(o, 1);
        ::dup2(e, 2);
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
    if (pid < 0) throw std::runtime_error("cannot fork");
    return pid;
}

int WaitProgram(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

TProgramResult RunProgram(const std::string& binary, const std::vector<std::string>& args) {
    char pattern[] = "/tmp/vorlin-program-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("no temporary directory");
    const std::string dir = pattern;
    TProgramResult result;
    result.Status = WaitProgram(StartProgram(binary, args, dir));
    result.Out = ReadWholeFile(dir + "/stdout");
    result.Err = ReadWholeFile(dir + "/stderr");
    ::unlink((dir + "/stdout").c_str());
    ::unlink((dir + "/stderr").c_str());
    ::rmdir(dir.c_str());
    return result;
}

std::vector<TShownLink> ParseShownLinks(const std::string& json) {
    std::vector<TShownLink> links;
    std::istringstream in(json);
    for (std::string line; std::getline(in, line);) {
        if (line.find("{\"index\": ") == std::string::npos) continue;
        TShownLink link;
        link.State = StringField(line, "state");
        link.Kind = StringField(line, "kind");
        link.Type = StringField(line, "type");
        link.Url = StringField(line, "url");
        link.LocalDir = StringField(line, "localDir");
        link.LocalFileName = StringField(line, "localFileName");
        link.Size = IntField(line, "size");
        links.push_back(link);
    }
    return links;
}

} // namespace vorlin::test
