// TProgUpdater against nginx on 127.0.0.1: a check finds a signed update,
// downloads the package and starts the patcher; every refusal leaves no
// file behind and starts nothing.
#include "platform/MessageQueue.h"
#include "tests/e2e/support/NginxServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/updater/FolderSnapshot.h"
#include "update/ProgUpdater.h"
#include "updater/UpdatePackage.h"
#include "updater/UpdateRelease.h"
#include "updater/UpdateSignature.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vorlin;
using namespace vorlin::update;
using namespace vorlin::updater;
namespace fs = std::filesystem;

namespace {

// Shows the "dialog" by serving messages until it closes; can press the
// button once the first data arrived.
class TPumpingHost : public IUpdateDialogHost {
public:
    bool CancelOnData = false;
    int Shown = 0;
    bool ShowModal(TUpdateDownload& download) override {
        ++Shown;
        if (download.EndedOk) return true;
        bool closed = false, ok = false;
        download.OnClose = [&](bool result) {
            closed = true;
            ok = result;
        };
        download.OnChanged = [&] {
            if (CancelOnData && download.Status == utReceiving && !closed) download.ButtonClicked();
            // The dialog's OK after a failure is pressed by the user.
            if (download.ButtonIsOk && !closed && download.Status == utError) download.ButtonClicked();
        };
        for (int i = 0; i < 1000 && !closed; ++i) {
            vorlin::WaitMessage(10);
            vorlin::ProcessPendingMessages();
        }
        download.OnClose = nullptr;
        download.OnChanged = nullptr;
        return ok;
    }
};

class ProgUpdaterTest : public testing::Test {
protected:
    void SetUp() override {
        if (!test::NginxAvailable()) GTEST_SKIP() << "nginx is not installed";
        char pattern[] = "/tmp/vorlin-progupdater-XXXXXX";
        FRoot = mkdtemp(pattern);
        FProgram = FRoot + "/program/";
        FSite = FRoot + "/site/";
        fs::create_directories(FProgram);
        fs::create_directories(FSite);
        // Files beside the installation that an update must never touch.
        fs::create_directories(FRoot + "/elsewhere/Updates");
        Write(FRoot + "/elsewhere/HTTPVorlin", "another copy");
        Write(FRoot + "/elsewhere/Updates/httpvorl32ge-2.0.dat", "not ours");
        FOutside = std::make_unique<test::TFolderSnapshot>(FRoot, std::set<std::string>{"program", "site"});
        FKeys = GenerateKeyPair();
        Write(FProgram + kPublicKeyFile, ToHex(FKeys.Public.data(), 32));
        Write(FProgram + "updater", "#!/bin/sh\n");
        FServer = std::make_unique<test::TNginxServer>(FSite);
        FUpdater = std::make_unique<TProgUpdater>(FProgram, FProgram + "HTTPVorlin");
        FUpdater->Version = "1.0";
        FUpdater->UpdateFile = "httpvorl32ge-1.0.upd";
        FUpdater->UpdateHost = FServer->BaseURL();
        FUpdater->DialogHost = &FHost;
        FUpdater->StartProgram = [this](const std::string& program, const std::vector<std::string>& arguments) {
            FStarted.push_back(program);
            for (const std::string& argument : arguments) FStarted.push_back(argument);
            return true;
        };
        FUpdater->OnError = [this](const std::string& message, bool) { FErrors.push_back(message); };
        FUpdater->OnUpdateFound = [this](const std::string& version, const std::string&, bool& download, bool) {
            FFound = version;
            download = FDownload;
        };
    }
    void TearDown() override {
        if (FOutside) {
            const test::TFolderSnapshot now(FRoot, {"program", "site"});
            EXPECT_EQ(FOutside->DifferencesTo(now), "") << "nothing outside the program folder changes";
        }
        FUpdater.reset();
        FServer.reset();
        if (!FRoot.empty()) fs::remove_all(FRoot);
    }
    static void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    void Publish(const std::string& version, const std::string& datFile = "httpvorl32ge-2.0.dat",
                 const TKeyPair* keys = nullptr) {
        const std::string description = "UpdateExists=1\r\nNewVersion=" + version + "\r\nChanges=a;b\r\nDatFile=" +
                                        datFile + "\r\n";
        WriteSignedFile(FSite + "httpvorl32ge-1.0.upd", description, keys ? *keys : FKeys);
        TUpdatePackage package;
        package.Adds = {{"new.txt", std::string(300000, 'n')}};
        FPackage = WritePackage(package);
        WriteSignedFile(FSite + "httpvorl32ge-2.0.dat", FPackage, keys ? *keys : FKeys);
    }
    // Every file in the update folder.
    std::vector<std::string> UpdateFolder() const {
        std::vector<std::string> names;
        if (fs::exists(FProgram + "Updates"))
            for (const auto& entry : fs::directory_iterator(FProgram + "Updates")) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    void ExpectNothingKept() {
        EXPECT_TRUE(FStarted.empty());
        for (const std::string& name : UpdateFolder()) EXPECT_EQ(name.find(".dat"), std::string::npos) << name;
        EXPECT_FALSE(fs::exists(FRoot + "/evil.dat"));
    }

    std::string FRoot, FProgram, FSite, FPackage;
    TKeyPair FKeys;
    std::unique_ptr<test::TNginxServer> FServer;
    std::unique_ptr<test::TFolderSnapshot> FOutside;
    std::unique_ptr<TProgUpdater> FUpdater;
    TPumpingHost FHost;
    std::vector<std::string> FStarted, FErrors;
    std::string FFound;
    bool FDownload = true;
};

} // namespace

TEST_F(ProgUpdaterTest, ACheckFindsDownloadsAndStartsThePatcher) {
    Publish("2.0");
    FDownload = false;
    EXPECT_TRUE(FUpdater->CheckForUpdate(false));
    EXPECT_EQ(FFound, "2.0");
    EXPECT_EQ(FHost.Shown, 0) << "a silent check shows no dialog";
    // The description is kept: the next check asks the server nothing.
    const int requests = FServer->LoggedRequests();
    FDownload = true;
    FUpdater->RestartArguments = {"--home", "/users/someone/vorlin/"};
    EXPECT_TRUE(FUpdater->CheckForUpdate(true));
    EXPECT_EQ(FServer->RequestCount("/httpvorl32ge-1.0.upd"), 1);
    EXPECT_EQ(FServer->LoggedRequests(), requests + 2) << "only the package and its signature";
    // The patcher gets the program, the package, and what the program is to be restarted with.
    ASSERT_EQ(FStarted.size(), 5u) << (FErrors.empty() ? "" : FErrors[0]);
    EXPECT_EQ(FStarted[0], FProgram + "updater");
    EXPECT_EQ(FStarted[1], FProgram + "HTTPVorlin");
    EXPECT_EQ(FStarted[2], FProgram + "Updates/httpvorl32ge-2.0.dat");
    EXPECT_EQ(FStarted[3], "--home");
    EXPECT_EQ(FStarted[4], "/users/someone/vorlin/");
    EXPECT_TRUE(FErrors.empty());
    std::ifstream in(FStarted[2], std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), FPackage);
    // Finishing after the restart: the applied update is cleared away.
    Write(FProgram + "updater.new", "new patcher");
    bool finished = false;
    FUpdater->OnFinished = [&] { finished = true; };
    FUpdater->FinishUpdate();
    EXPECT_TRUE(finished);
    std::ifstream patcher(FProgram + "updater");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(patcher)), std::istreambuf_iterator<char>()), "new patcher");
    EXPECT_TRUE(fs::exists(FProgram + "updater.bak"));
    EXPECT_TRUE(UpdateFolder().empty());
}

TEST_F(ProgUpdaterTest, RefusalsKeepNothingAndStartNothing) {
    // Unsigned.
    Publish("2.0");
    fs::remove(FSite + "httpvorl32ge-1.0.upd.sig");
    EXPECT_FALSE(FUpdater->CheckForUpdate(true));
    EXPECT_TRUE(UpdateFolder().empty());
    ASSERT_FALSE(FErrors.empty());
    EXPECT_NE(FErrors.back().find("not signed"), std::string::npos) << FErrors.back();
    // Signed with another key.
    const TKeyPair other = GenerateKeyPair();
    Publish("2.0", "httpvorl32ge-2.0.dat", &other);
    EXPECT_FALSE(FUpdater->CheckForUpdate(true));
    EXPECT_TRUE(UpdateFolder().empty());
    // A downgrade, and a package name that leaves the update folder.
    Publish("1.0");
    EXPECT_FALSE(FUpdater->CheckForUpdate(true));
    EXPECT_NE(FErrors.back().find("not newer"), std::string::npos) << FErrors.back();
    Publish("2.0", "../../evil.dat");
    EXPECT_FALSE(FUpdater->CheckForUpdate(true));
    EXPECT_NE(FErrors.back().find("outside"), std::string::npos) << FErrors.back();
    EXPECT_TRUE(FFound.empty());
    ExpectNothingKept();
    // A tampered package under a good description.
    Publish("2.0");
    Write(FSite + "httpvorl32ge-2.0.dat", FPackage + "x");
    FErrors.clear();
    EXPECT_TRUE(FUpdater->CheckForUpdate(true));
    EXPECT_EQ(FFound, "2.0");
    ExpectNothingKept();
    ASSERT_FALSE(FErrors.empty());
    EXPECT_NE(FErrors.back().find("does not match"), std::string::npos) << FErrors.back();
    // A download cut off by the user's Cancel.
    Write(FSite + "httpvorl32ge-2.0.dat", FPackage);
    FHost.CancelOnData = true;
    EXPECT_FALSE(FUpdater->DownloadUpdate());
    ExpectNothingKept();
    // A package that is missing on the server.
    FHost.CancelOnData = false;
    fs::remove(FSite + "httpvorl32ge-2.0.dat");
    EXPECT_FALSE(FUpdater->DownloadUpdate());
    ExpectNothingKept();
}

// The server closes the connection half-way through the body: whatever
// arrived is thrown away, and the patcher is not started.
TEST_F(ProgUpdaterTest, ADownloadCutOffByTheServerKeepsNothing) {
    Publish("2.0");
    const auto answer = [](const std::string& body, size_t sent) {
        return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body.substr(0, sent);
    };
    const auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    const std::string description = read(FSite + "httpvorl32ge-1.0.upd");
    const std::string descriptionSignature = read(FSite + "httpvorl32ge-1.0.upd.sig");
    test::TScriptedServer server;
    FUpdater->UpdateHost = server.Url("/");
    // A silent check whose description breaks off.
    server.AddScript(test::TScript().ReadRequest().Send(answer(description, description.size() / 2)).Close());
    EXPECT_FALSE(FUpdater->CheckForUpdate(false));
    EXPECT_TRUE(UpdateFolder().empty());
    // An interactive check: whole description, then half of the package.
    server.AddScript(test::TScript::Reply(answer(description, description.size())));
    server.AddScript(test::TScript::Reply(answer(descriptionSignature, descriptionSignature.size())));
    server.AddScript(test::TScript().ReadRequest().Send(answer(FPackage, FPackage.size() / 2)).Close());
    EXPECT_TRUE(FUpdater->CheckForUpdate(true));
    EXPECT_EQ(FFound, "2.0");
    EXPECT_EQ(server.Connections(), 4) << "the package's signature is not asked for";
    ExpectNothingKept();
    for (const std::string& name : UpdateFolder()) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
}
