// `vorlin get` on a pseudo-terminal against nginx on 127.0.0.1, answered as
// a user would: the credentials of the protected area (the password not
// echoed), a refusal of them, the half-automatic and structure selections
// by mask, numbers or nothing, and Ctrl-C in the middle of a slow run.
#include "tests/e2e/support/FixtureSite.h"
#include "tests/e2e/support/NginxServer.h"
#include "tests/e2e/support/Program.h"
#include "tests/e2e/support/PtyProgram.h"
#include "tests/e2e/support/SiteRun.h"

#include <gmock/gmock.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>
#include <unistd.h>

namespace vorlin::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

const char* const kUserPrompt = "User name (Enter to cancel): ";
const char* const kSelectPrompt = "Select (a mask such as *.zip, numbers such as 1 3-5, Enter for none): ";

class TerminalQuestionsRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NginxAvailable()) GTEST_SKIP() << "nginx is not installed";
        if (::access(VORLIN_BINARY, X_OK) != 0) GTEST_SKIP() << "the program is not built";
        char pattern[] = "/tmp/vorlin-pty-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        FDir = pattern;
        FSite = FDir + "/served/";
        fs::create_directories(FSite);
    }
    void TearDown() override {
        FProgram.reset();
        FServer.reset();
        std::error_code ec;
        if (!FDir.empty()) fs::remove_all(FDir, ec);
    }
    void Put(const std::string& relative, const std::string& content) {
        fs::create_directories(fs::path(FSite + relative).parent_path());
        std::ofstream(FSite + relative, std::ios::binary) << content;
    }
    void Serve(const std::string& config = std::string()) { FServer = std::make_unique<TNginxServer>(FSite, config); }
    // `vorlin get` of the served site on a terminal of its own.
    TPtyProgram& Get(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"get", "--home", Home(), "-c", "2"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(FServer->BaseURL());
        args.push_back(FDir + "/copy");
        FProgram = std::make_unique<TPtyProgram>(VORLIN_BINARY, args);
        return *FProgram;
    }
    std::string Home() const { return FDir + "/home"; }
    std::string HostDir() const { return FDir + "/copy/127.0.0.1+" + std::to_string(FServer->Port()) + "/"; }
    std::set<std::string> Stored() const { return FilesBelow(HostDir()); }
    std::string DataFile() const {
        return Home() + "/Projects/Quick Projects/127.0.0.1_" + std::to_string(FServer->Port()) + ".dat";
    }
    // The numbered list a question showed: its URLs by number.
    static std::map<int, std::string> Listed(const std::string& output) {
        std::map<int, std::string> listed;
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            size_t close = line.find(") ");
            if (line.rfind("  ", 0) != 0 || close == std::string::npos || close < 3) continue;
            const std::string number = line.substr(2, close - 2);
            if (number.find_first_not_of("0123456789") != std::string::npos) continue;
            listed[std::stoi(number)] = line.substr(close + 2);
        }
        return listed;
    }
    // The pieces of text written between line breaks, carriage returns and
    // cursor movements: each one starts at the left of a line.
    static std::vector<std::string> Pieces(const std::string& output) {
        std::vector<std::string> pieces(1);
        for (size_t i = 0; i < output.size(); ++i) {
            if (output[i] == '\x1b' && i + 1 < output.size() && output[i + 1] == '[') {
                i += 2;
                while (i < output.size() && !std::isalpha(static_cast<unsigned char>(output[i]))) ++i;
                pieces.emplace_back();
            } else if (output[i] == '\r' || output[i] == '\n') {
                pieces.emplace_back();
            } else {
                pieces.back() += output[i];
            }
        }
        return pieces;
    }
    static int Occurrences(const std::string& text, const std::string& part) {
        int count = 0;
        for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + part.size())) ++count;
        return count;
    }
    // `vorlin get -q` of the fixture site, whose protected area asks for credentials.
    TPtyProgram& GetTheFixtureSite() {
        Serve(FixtureServerConfig(FSite));
        WriteFixtureSite(FSite, FServer->Port());
        return Get({"-q"});
    }
    // Answers the user-name prompt with the fixture's user and waits for the password prompt.
    static ::testing::AssertionResult AtThePasswordPrompt(TPtyProgram& program) {
        if (!program.WaitFor(kUserPrompt)) return ::testing::AssertionFailure() << "no user prompt: " << program.Output();
        program.Type(std::string(kFixtureUser) + "\r");
        if (!program.WaitFor("Password: ")) return ::testing::AssertionFailure() << "no password prompt: " << program.Output();
        return ::testing::AssertionSuccess();
    }
    // A start page with links to pictures, a text and a document.
    void SelectionSite() {
        Put("index.html", "<html><body><a href=\"pics/a.png\">a</a> <a href=\"notes.txt\">notes</a>\n"
                          "<a href=\"pics/b.png\">b</a> <a href=\"paper.pdf\">paper</a></body></html>\n");
        Put("pics/a.png", "a-png");
        Put("pics/b.png", "b-png");
        Put("notes.txt", "notes");
        Put("paper.pdf", "%PDF-1.4 paper");
    }

    std::string FDir, FSite;
    std::unique_ptr<TNginxServer> FServer;
    std::unique_ptr<TPtyProgram> FProgram;
};

// --- Credentials ------------------------------------------------------------

TEST_F(TerminalQuestionsRunTest, CredentialsTypedAtThePromptOpenTheProtectedArea) {
    TPtyProgram& program = GetTheFixtureSite();
    ASSERT_TRUE(program.WaitFor("(realm \"Fixture Area\")")) << program.Output();
    ASSERT_TRUE(AtThePasswordPrompt(program));
    program.Type(std::string(kFixturePassword) + "\r");
    EXPECT_EQ(program.WaitExit(), 0) << program.Output();
    EXPECT_THAT(program.Output(), HasSubstr(kFixtureUser)) << "the user name is echoed";
    EXPECT_THAT(program.Output(), Not(HasSubstr(kFixturePassword))) << "the password must not be echoed";
    EXPECT_EQ(Occurrences(program.Output(), kUserPrompt), 1) << "asked once for the area";
    std::set<std::string> stored = Stored();
    EXPECT_TRUE(stored.count("private/secret.html"));
    EXPECT_TRUE(stored.count("private/key.gif"));
    EXPECT_EQ(ReadWholeFile(HostDir() + "private/key.gif"), ReadWholeFile(FSite + "private/key.gif"));
    EXPECT_TRUE(stored.count("index.html"));
    EXPECT_TRUE(program.Echoes()) << "echo is back on after the password";
}

TEST_F(TerminalQuestionsRunTest, CtrlCAtThePasswordStopsTheRunAndEchoesAgain) {
    TPtyProgram& program = GetTheFixtureSite();
    ASSERT_TRUE(AtThePasswordPrompt(program));
    program.Type("won\x03");
    EXPECT_EQ(program.WaitExit(std::chrono::seconds(10)), 130) << program.Output();
    EXPECT_TRUE(program.Echoes());
    EXPECT_THAT(program.Output(), Not(HasSubstr("won")));
    EXPECT_FALSE(Stored().count("private/secret.html"));
    EXPECT_TRUE(std::filesystem::is_regular_file(DataFile())) << "the link data are saved";
}

TEST_F(TerminalQuestionsRunTest, CtrlCTwiceAtThePasswordEndsAtOnceAndEchoesAgain) {
    TPtyProgram& program = GetTheFixtureSite();
    ASSERT_TRUE(AtThePasswordPrompt(program));
    program.Type("\x03\x03");
    EXPECT_EQ(program.WaitExit(), 130) << program.Output();
    EXPECT_TRUE(program.Echoes());
    // Ended at once or in order, it says how to go on.
    EXPECT_THAT(program.Output(), HasSubstr("To resume: "));
}

TEST_F(TerminalQuestionsRunTest, AWrongPasswordIsAskedAgainUntilCancelled) {
    TPtyProgram& program = GetTheFixtureSite();
    ASSERT_TRUE(AtThePasswordPrompt(program));
    program.Type("wrong\r");
    ASSERT_TRUE(program.WaitFor(kUserPrompt)) << program.Output();
    program.Type("\r");
    EXPECT_EQ(program.WaitExit(), 0) << program.Output();
    EXPECT_FALSE(Stored().count("private/secret.html"));
    EXPECT_TRUE(program.Echoes());
}

TEST_F(TerminalQuestionsRunTest, EnterAtTheUserNameCancelsAndTheRunGoesOn) {
    TPtyProgram& program = GetTheFixtureSite();
    ASSERT_TRUE(program.WaitFor(kUserPrompt)) << program.Output();
    program.Type("\r");
    EXPECT_EQ(program.WaitExit(), 0) << program.Output();
    EXPECT_THAT(program.Output(), Not(HasSubstr("Password: ")));
    std::set<std::string> stored = Stored();
    EXPECT_FALSE(stored.count("private/secret.html"));
    EXPECT_FALSE(stored.count("private/key.gif"));
    EXPECT_TRUE(stored.count("index.html"));
    EXPECT_TRUE(stored.count("files/big.bin")) << "the rest of the site is fetched";
}

// --- Half-automatic and structure selection ---------------------------------

TEST_F(TerminalQuestionsRunTest, HalfAutomaticFetchesTheLinksChosenByMask) {
    SelectionSite();
    Serve();
    TPtyProgram& program = Get({"-q", "-m", "half"});
    ASSERT_TRUE(program.WaitFor("Links of " + FServer->BaseURL())) << program.Output();
    ASSERT_TRUE(program.WaitFor(kSelectPrompt)) << program.Output();
    std::map<int, std::string> listed = Listed(program.Output());
    EXPECT_EQ(listed.size(), 4u) << program.Output();
    program.Type("*.png\r");
    EXPECT_TRUE(program.WaitFor("2 of 4 selected")) << program.Output();
    EXPECT_EQ(program.WaitExit(), 0) << program.Output();
    EXPECT_EQ(Stored(), (std::set<std::string>{"index.html", "pics/a.png", "pics/b.png"}));
}

TEST_F(TerminalQuestionsRunTest, HalfAutomaticFetchesTheLinksChosenByNumberAfterABadAnswer) {
    SelectionSite();
    Serve();
    TPtyProgram& program = Get({"-q", "-m", "half"});
    ASSERT_TRUE(program.WaitFor(kSelectPrompt)) << program.Output();
    int notes = 0, paper = 0;
    for (const auto& [number, url] : Listed(program.Output())) {
        if (url.ends_with("/notes.txt")) notes = number;
        if (url.ends_with("/paper.pdf")) paper = number;
    }
    ASSERT_GT(notes, 0) << program.Output();
    ASSERT_GT(paper, 0) << program.Output();
    // A number outside the list is refused and the question asked again.
    program.Type("9\r");
    ASSERT_TRUE(program.WaitFor(kSelectPrompt)) << program.Output();
    program.Type(std::to_string(notes) + " " + std::to_string(paper) + "\r");
    EXPECT_TRUE(program.WaitFor("2 of 4 selected")) << program.Output();
    EXPECT_EQ(program.WaitExit(), 0) << program.Output();
    EXPECT_EQ(Stored(), (std::set<std::string>{"index.html", "notes.txt", "paper.pdf"}));
}

TEST_F(TerminalQuestionsRunTest, CtrlCAtTheSelectionStopsTheRun) {
    SelectionSite();
    Serve();
    TPtyProgram& program = Get({"-q", "-m", "half"});
    ASSERT_TRUE(program.WaitFor(kSelectPrompt)) << program.Output();
    program.Type("*.png\x03");
    EXPECT_EQ(program.WaitExit(std::chrono::seconds(10)), 130) << program.Output();
    EXPECT_THAT(program.Unmatched(), Not(HasSubstr(" selected")));
    EXPECT_EQ(Stored(), (std::set<std::string>{"index.html"}));
}

TEST_F(TerminalQuestionsRunTest, ALinkCannotSendEscapeSequencesToTheTerminal) {
    Put("index.html", "<html><body><a href=\"x%1B%5B2J%1B%5D0%3Bowned%07.png\">x</a></body></html>\n");
    Serve();
    TPtyProgram& program = Get({"-m", "half"});
    ASSERT_TRUE(program.WaitFor(kSelectPrompt)) << program.Output();
    EXPECT_THAT(program.Output(), HasSubstr("  1) " + FServer->BaseURL() + "x?[2J?]0;owned?.png\r\n"));
    program.Type("\r");
    EXPECT_EQ(program.WaitExit(), 0) << program.Output();
    EXPECT_THAT(program.Output(), Not(HasSubstr("\x1b[2J")));
    EXPECT_THAT(program.Output(), Not(HasSubstr("\x1b]0")));
}

TEST_F(TerminalQuestionsRunTest, TheStatusBlockMakesRoomForAQuestion) {
    SelectionSite();
    Serve();
    TPtyProgram& program = Get({"-v", "-m", "half"});
    ASSERT_TRUE(program.WaitFor(kSelectPrompt)) << program.Output();
    const std::string out = program.Output();
    const std::string before = out.substr(0, out.find("Links of "));
    // The status line (and any rows above it) cleared, the cursor at the left.
    EXPECT_TRUE(before.ends_with("\r\x1b[K") || before.ends_with("\r\x1b[J")) << before;
    program.Type("\r");
    ASSERT_TRUE(program.WaitFor("0 of 4 selected\r\n")) << program.Output();
    EXPECT_EQ(program.WaitExit(), 0) << program.Output();
}

TEST_F(TerminalQuestionsRunTest, HalfAutomaticEnterChoosesNone) {
    SelectionSite();
    Serve();
    TPtyProgram& program = Get({"-q", "-m", "half"});
    ASSERT_TRUE(program.WaitFor(kSelectPrompt)) << program.Output();
    program.Type("\r");
    EXPECT_TRUE(program.WaitFor("0 of 4 selected")) << program.Output();
    EXPECT_EQ(program.WaitExit(), 0) << program.Output();
    EXPECT_EQ(Stored(), (std::set<std::string>{"index.html"}));
}

TEST_F(TerminalQuestionsRunTest, StructureModeFetchesWhatIsChosenFromTheWholeStructure) {
    SelectionSite();
    Put("more.html", "<html><body><a href=\"pics/c.png\">c</a> <a href=\"more.txt\">more</a></body></html>\n");
    Put("pics/c.png", "c-png");
    Put("more.txt", "more");
    std::ofstream(FSite + "index.html", std::ios::app) << "<a href=\"more.html\">more</a>\n";
    Serve();
    TPtyProgram& program = Get({"-q", "-m", "structure"});
    ASSERT_TRUE(program.WaitFor("Links found (choose the files to download)")) << program.Output();
    ASSERT_TRUE(program.WaitFor(kSelectPrompt)) << program.Output();
    std::map<int, std::string> listed = Listed(program.Output());
    size_t pictures = 0;
    for (const auto& entry : listed) pictures += entry.second.ends_with(".png");
    EXPECT_EQ(pictures, 3u) << program.Output();
    program.Type("*.png\r");
    EXPECT_TRUE(program.WaitFor(std::to_string(pictures) + " of " + std::to_string(listed.size()) + " selected"))
        << program.Output();
    EXPECT_EQ(program.WaitExit(), 0) << program.Output();
    std::set<std::string> stored = Stored();
    for (const char* picture : {"pics/a.png", "pics/b.png", "pics/c.png"})
        EXPECT_TRUE(stored.count(picture)) << picture;
    for (const char* other : {"notes.txt", "paper.pdf", "more.txt"}) EXPECT_FALSE(stored.count(other)) << other;
}

TEST_F(TerminalQuestionsRunTest, StructureModeEnterChoosesNone) {
    SelectionSite();
    Serve();
    TPtyProgram& program = Get({"-q", "-m", "structure"});
    ASSERT_TRUE(program.WaitFor(kSelectPrompt)) << program.Output();
    program.Type("\r");
    EXPECT_TRUE(program.WaitFor("0 of ")) << program.Output();
    EXPECT_EQ(program.WaitExit(), 0) << program.Output();
    for (const std::string& file : Stored()) EXPECT_TRUE(file.ends_with(".html")) << file;
}

TEST_F(TerminalQuestionsRunTest, CtrlCAtTheStructureSelectionStopsTheRun) {
    SelectionSite();
    Serve();
    TPtyProgram& program = Get({"-q", "-m", "structure"});
    ASSERT_TRUE(program.WaitFor(kSelectPrompt)) << program.Output();
    program.Type("*\x03");
    EXPECT_EQ(program.WaitExit(), 130) << program.Output();
    for (const std::string& file : Stored()) EXPECT_TRUE(file.ends_with(".html")) << file;
}

TEST_F(TerminalQuestionsRunTest, EndOfInputAtTheUserNameCancels) {
    TPtyProgram& program = GetTheFixtureSite();
    ASSERT_TRUE(program.WaitFor(kUserPrompt)) << program.Output();
    program.Type("\x04");
    EXPECT_EQ(program.WaitExit(), 0) << program.Output();
    EXPECT_FALSE(Stored().count("private/secret.html"));
    EXPECT_TRUE(Stored().count("files/big.bin"));
}

// --- Ctrl-C and the connection rows ------------------------------------------

TEST_F(TerminalQuestionsRunTest, CtrlCStopsInOrderAndKeepsTheLinkData) {
    std::string index = "<html><body>";
    for (int i = 0; i < 6; ++i) {
        std::string name = "file" + std::to_string(i) + ".bin";
        Put(name, std::string(256 * 1024, 'x'));
        index += "<a href=\"" + name + "\">" + name + "</a>\n";
    }
    Put("index.html", index + "</body></html>\n");
    // Slow, so the run is still busy when Ctrl-C comes.
    Serve("limit_rate 32k;");
    TPtyProgram& program = Get({"-v"});
    // The connection rows show the files on their way.
    ASSERT_TRUE(program.WaitFor(".bin\r\n")) << program.Output();
    EXPECT_THAT(program.Output(), HasSubstr("  #")) << "a connection row";
    program.Type("\x03");
    EXPECT_TRUE(program.WaitFor("the link data are being saved")) << program.Output();
    // The command that resumes it, quoted for the shell.
    EXPECT_TRUE(program.WaitFor(" run --home " + Home() + "/ '" + Home() + "/Projects/Quick Projects/127.0.0.1_" +
                                std::to_string(FServer->Port()) + ".prj'"))
        << program.Output();
    EXPECT_EQ(program.WaitExit(), 130) << program.Output();

    TProgramResult links = RunProgram(VORLIN_BINARY, {"show-links", "--json", DataFile()});
    ASSERT_EQ(links.Status, 0) << links.Err;
    std::set<std::string> urls;
    for (const TShownLink& link : ParseShownLinks(links.Out)) urls.insert(link.Url);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(urls.count(FServer->BaseURL() + "file" + std::to_string(i) + ".bin")) << links.Out;
}

// A site of a hundred and more links makes a long status line: at 80
// columns it is shortened, not cut, so its end (rate, connections) stays.
TEST_F(TerminalQuestionsRunTest, TheStatusLineFitsEightyColumnsAndKeepsItsEnd) {
    std::string index = "<html><body>";
    for (int i = 0; i < 120; ++i) {
        Put("page" + std::to_string(i) + ".html", "<html><body>page " + std::to_string(i) + "</body></html>\n");
        index += "<a href=\"page" + std::to_string(i) + ".html\">" + std::to_string(i) + "</a>\n";
    }
    Put("index.html", index + "</body></html>\n");
    Serve();
    FProgram = std::make_unique<TPtyProgram>(
        VORLIN_BINARY, std::vector<std::string>{"get", "--home", Home(), FServer->BaseURL(), FDir + "/copy"}, 80);
    EXPECT_EQ(FProgram->WaitExit(), 0) << FProgram->Output();
    int statusLines = 0;
    for (const std::string& piece : Pieces(FProgram->Output())) {
        if (piece.find(" | ") == std::string::npos) continue;
        ++statusLines;
        EXPECT_LT(piece.size(), 80u) << piece;
        EXPECT_THAT(piece, ::testing::EndsWith(" active")) << piece;
    }
    EXPECT_GT(statusLines, 0);
    EXPECT_THAT(FProgram->Output(), HasSubstr("121 done, 0 filtered, 0 to go, 121 links | "));
}

TEST_F(TerminalQuestionsRunTest, VerboseRowsFitTheTerminalAndAreGoneAtTheEnd) {
    SelectionSite();
    Put(std::string(100, 'n') + ".html", "<html><body>long</body></html>\n");
    std::ofstream(FSite + "index.html", std::ios::app) << "<a href=\"" << std::string(100, 'n') << ".html\">n</a>\n";
    Serve();
    FProgram = std::make_unique<TPtyProgram>(
        VORLIN_BINARY,
        std::vector<std::string>{"get", "--home", Home(), "-c", "2", "-v", FServer->BaseURL(), FDir + "/copy"}, 60);
    EXPECT_EQ(FProgram->WaitExit(), 0) << FProgram->Output();
    const std::string& out = FProgram->Output();
    // Each log line redraws the block, with the busy connections in it.
    EXPECT_THAT(out, HasSubstr("\r\x1b[K  #"));
    // Every line written fits the 60 columns.
    int rows = 0;
    for (const std::string& piece : Pieces(out)) {
        bool row = piece.rfind("  #", 0) == 0;
        rows += row;
        if (row || piece.find(" | ") != std::string::npos) {
            EXPECT_LT(piece.size(), 60u) << piece;
        }
    }
    EXPECT_GT(rows, 0);
    // The last status line stays, in a form that fits the width, without rows.
    std::string end = out.substr(out.rfind('\x1b'));
    EXPECT_THAT(end, HasSubstr("6 done, 0 filtered, 0 to go | "));
    EXPECT_THAT(end, HasSubstr(" | 0 active\r\n"));
    EXPECT_THAT(end, Not(HasSubstr("#")));
}

} // namespace
} // namespace vorlin::test
