#include "tests/plugins/PluginTestSupport.h"

#include "platform/FileSystem.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vorlin::test {

TTempDir::TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorlin-plugins-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary directory");
    FPath = pattern + "/";
}

TTempDir::~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
}

std::string TestkitFile(const std::string& variant) { return std::string(VORLIN_TESTKIT_DIR) + "/" + variant + ".so"; }

std::string InstallPlugin(const std::string& programDir, const std::string& relativeName, const std::string& variant) {
    std::string target = programDir + "Plugins/" + relativeName;
    ForceDirectories(ExtractFilePath(target));
    if (!CopyFile(TestkitFile(variant), target, false)) throw std::runtime_error("cannot install " + target);
    return target;
}

void WriteFile(const std::string& path, const std::string& content) {
    ForceDirectories(ExtractFilePath(path));
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void TTestkit::Configure(const std::string& config) const {
    auto f = FLibrary.Function<void (*)(const char*)>("TestkitConfigure");
    if (!f) throw std::runtime_error("not a test plugin");
    f(config.c_str());
}

std::string TTestkit::Log() const {
    auto f = FLibrary.Function<const char* (*)()>("TestkitCallLog");
    return f ? f() : "";
}

void TTestkit::ClearLog() const {
    if (auto f = FLibrary.Function<void (*)()>("TestkitClearLog")) f();
}

int TTestkit::LiveObjects() const {
    auto f = FLibrary.Function<int (*)()>("TestkitLiveObjects");
    return f ? f() : -1;
}

void TPluginHostFixture::Install(const std::string& name, const std::string& config, const std::string& variant) {
    InstallPlugin(FHome.Path(), name + ".so", variant);
    FConfigs[name] = config;
}

void TPluginHostFixture::Start() {
    FSystem.Load();
    for (auto& p : FSystem.Plugins()) {
        if (!p->Loaded || !p->Library.Symbol("TestkitConfigure")) continue;
        TTestkit(p->Library).Configure("name=" + p->Name + "\n" + FConfigs[p->Name]);
    }
    FSystem.Initialize();
}

const TPlugin& TPluginHostFixture::Plugin(const std::string& name) const {
    for (auto& p : FSystem.Plugins())
        if (p->Name == name) return *p;
    throw std::runtime_error("no plugin " + name);
}

int TPluginHostFixture::CallCount(const std::string& name, const std::string& text) const {
    std::string log = LogOf(name), needle = name + ": " + text;
    int count = 0;
    for (size_t at = 0; (at = log.find(needle, at)) != std::string::npos; at += needle.size()) ++count;
    return count;
}

} // namespace vorlin::test
