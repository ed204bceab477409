#include "tests/engine/RunHarness.h"

#include "links/UrlHelpers.h"
#include "platform/FileSystem.h"
#include "project/DownloadLinks.h"
#include "project/PasswordList.h"
#include "platform/MessageQueue.h"
#include "platform/Stream.h"
#include "tests/support/LoopHelpers.h"

#include <cstdlib>
#include <filesystem>

namespace vorlin::test {

bool TRecordingWindow::Logged(const std::string& part) const { return LogCount(part) > 0; }

int TRecordingWindow::LogCount(const std::string& part) const {
    int count = 0;
    for (const std::string& line : Logs)
        if (line.find(part) != std::string::npos) ++count;
    return count;
}

bool TRecordingWindow::ErrorLogged(const std::string& part) const {
    for (const std::string& line : Errors)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

void TRecordingWindow::RunLog(const std::string& line) {
    Logs.push_back(line);
    if (OnLog) OnLog(line);
}

void TRecordingWindow::ClientURL(int clientIndex, const std::string& url) {
    if (!url.empty()) ClientURLs[clientIndex].push_back(url);
}

void TRecordingWindow::RunFinished() {
    Finished = true;
    ++FinishedCount;
}

void TRecordingWindow::SelectLinks(TDownloadProject& project, TDownloadLink& page) {
    ++SelectionQuestions;
    if (OnSelectLinks) OnSelectLinks(project, page);
}

bool TRecordingWindow::AskCredentials(TAuthRec& request) {
    ++CredentialQuestions;
    Realms.push_back(request.Realm);
    return OnCredentials ? OnCredentials(request) : false;
}

bool TRecordingWindow::SelectStructure(TDownloadProject& project) {
    return OnSelectStructure ? OnSelectStructure(project) : false;
}

TRunHarness::TRunHarness() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorlin-run-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary directory");
    FDir = pattern;
    Project.Destination = TargetDir();
    Project.DataFileName = DataFile();
    Settings.AutosaveEnabled = false;
    // Runs ask for exactly the paths a test expects; the tests of
    // robots.txt switch it on.
    Project.Manners.ObeyRobots = false;
    FTarget = std::make_unique<TMainWindowTarget>(Window);
}

TRunHarness::~TRunHarness() {
    if (FRun) {
        PostThreadMessage(FRun->ThreadId(), WM_QUIT);
        WaitFinished(20000);
    }
    std::error_code ignored;
    std::filesystem::remove_all(FDir, ignored);
}

TDownloadThread& TRunHarness::Start() {
    Window.Finished = false;
    FRun = std::make_unique<TDownloadThread>();
    FTarget->SetRun(FRun.get());
    FRun->SetSettings(Settings);
    FRun->SetProject(&Project, FTarget->Handle(), Clients);
    FRun->SetProxy(ProxyHost, ProxyPort, "", "");
    FRun->SetTimeouts(TimeOutEnabled, 1, Tries);
    FRun->SetTimeoutMilliseconds(TimeOutMs);
    FRun->SetStructureList(&Structure);
    FRun->SetProgramDirectory(FDir);
    FRun->SetPluginSystem(Plugins);
    FRun->SetRateMeterPeriod(50);
    if (LowSpeedBytes >= 0) FRun->SetLowSpeedLimit(LowSpeedBytes, LowSpeedMs);
    FRun->Resume();
    return *FRun;
}

bool TRunHarness::PumpUntil(const std::function<bool()>& done, uint32_t reaperMs) {
    return vorlin::test::PumpUntil(done, reaperMs);
}

bool TRunHarness::WaitFinished(uint32_t reaperMs) {
    bool finished = PumpUntil([this] { return Window.Finished; }, reaperMs);
    if (!finished && FRun) PostThreadMessage(FRun->ThreadId(), WM_QUIT);
    if (FRun) {
        // A stuck run was told to quit; give it a moment to say so.
        if (!finished) PumpUntil([this] { return Window.Finished; }, 10000);
        FRun->WaitFor();
        FatalError = FRun->FatalError();
        FRun.reset();
    }
    return finished;
}

bool TRunHarness::RunToEnd(uint32_t reaperMs) {
    Start();
    return WaitFinished(reaperMs);
}

void TRunHarness::Post(uint32_t message, uintptr_t wParam, intptr_t lParam, std::unique_ptr<TPayload> payload) {
    if (FRun) PostThreadMessage(FRun->ThreadId(), message, wParam, lParam, std::move(payload));
}

std::unique_ptr<TDownloadProject> TRunHarness::SavedLinks() const {
    auto project = std::make_unique<TDownloadProject>();
    project->Links->LoadFromFile(DataFile());
    return project;
}

TDownloadLink* TRunHarness::LinkOf(TDownloadProject& project, const std::string& url) {
    for (TDownloadLink* link : *project.Links)
        if (link->FullURL() == url) return link;
    return nullptr;
}

std::string TRunHarness::HostDir() const {
    std::string root = Project.URL.substr(0, Project.URL.find('/', Project.URL.find("//") + 2)) + "/";
    return BackslashToSlash(LocalDirOfServer(root, true));
}

std::string TRunHarness::HostPath(const std::string& relative) const {
    const std::string host = "127.0.0.1/";
    if (relative.compare(0, host.size(), host) == 0) return TargetDir() + HostDir() + relative.substr(host.size());
    return TargetDir() + relative;
}

std::string TRunHarness::FileText(const std::string& relative) const {
    TMemoryStream stream;
    stream.LoadFromFile(HostPath(relative));
    return stream.ToString();
}

bool TRunHarness::FileThere(const std::string& relative) const { return FileExists(HostPath(relative)); }

std::vector<std::string> TRunHarness::AllFiles() const {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(FDir))
        if (entry.is_regular_file()) files.push_back(std::filesystem::relative(entry.path(), FDir).string());
    return files;
}

void TSiteRunTest::Home(const std::string& html) {
    site.Route("/", TSiteServer::Page(html));
    run.Project.URL = site.Url("/");
}

} // namespace vorlin::test
