// The rows of the busy connections that -v shows on a terminal: their
// columns, idle connections left out, cutting to the terminal's width and
// to the room on the screen, and texts that must not move the cursor.
#include "cli/run/ConnectionRows.h"

#include <gmock/gmock.h>

using namespace vorlin::cli;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

TEST(ConnectionRows, BusyConnectionsInColumnsIdleOnesLeftOut) {
    TConnectionRows rows;
    EXPECT_THAT(rows.Lines(80, 10), IsEmpty());
    rows.Status(10, "Receiving");
    rows.URL(10, "http://a/big.bin");
    rows.Status(2, "Asking");
    rows.URL(2, "http://a/x.html");
    rows.Status(3, "Ready");  // a status alone: never busy
    EXPECT_EQ(rows.BusyCount(), 2);
    EXPECT_THAT(rows.Lines(80, 10),
                ElementsAre("  # 2 Asking     http://a/x.html", "  #10 Receiving  http://a/big.bin"));
    // The status comes before the URL of the next file and stays with it.
    rows.Status(10, "Ready");
    rows.URL(10, "");
    rows.Status(2, "Receiving");
    EXPECT_EQ(rows.BusyCount(), 1);
    EXPECT_THAT(rows.Lines(80, 10), ElementsAre("  #2 Receiving  http://a/x.html"));
    rows.Clear();
    EXPECT_THAT(rows.Lines(80, 10), IsEmpty());
}

TEST(ConnectionRows, RowsAreCutSoNoneWraps) {
    TConnectionRows rows;
    rows.Status(1, "Receiving");
    rows.URL(1, "http://a/" + std::string(200, 'x'));
    std::vector<std::string> lines = rows.Lines(40, 10);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 39u) << "the last column stays free";
    EXPECT_EQ(lines[0].rfind("  #1 Receiving  http://a/xxx", 0), 0u);
    // A long status is cut too, and a screen too narrow shows nothing.
    rows.Status(1, std::string(100, 's'));
    EXPECT_EQ(rows.Lines(40, 10)[0], "  #1 " + std::string(34, 's'));
    EXPECT_THAT(rows.Lines(1, 10), IsEmpty());
    EXPECT_THAT(rows.Lines(80, 0), IsEmpty());
}

TEST(ConnectionRows, MoreBusyThanRoomEndsWithACount) {
    TConnectionRows rows;
    for (int i = 1; i <= 5; ++i) rows.URL(i, "http://a/" + std::to_string(i));
    EXPECT_THAT(rows.Lines(80, 5).size(), 5u);
    EXPECT_THAT(rows.Lines(80, 3), ElementsAre("  #1   http://a/1", "  #2   http://a/2", "  ... 3 more busy"));
    EXPECT_THAT(rows.Lines(80, 1), ElementsAre("  ... 5 more busy"));
}

TEST(ConnectionRows, ControlCharactersAreShownAndCharactersCountedNotBytes) {
    // A decoded URL may hold an escape sequence of its own.
    EXPECT_EQ(TerminalSafe("http://a/\x1b[2Jx\r\n\x7f", 80), "http://a/?[2Jx???");
    // "ü" is two bytes but one character, and is never cut in half.
    EXPECT_EQ(TerminalSafe("Grüße", 3), "Grü");
    EXPECT_EQ(TerminalSafe("Grüße", 2), "Gr");
    EXPECT_EQ(TerminalSafe("abc", 0), "");
    // Text of several lines keeps its breaks and tabs, and is not cut.
    EXPECT_EQ(TerminalSafeLines("a\x1b[31m\tb\nc\x07\r" + std::string(300, 'd')),
              "a?[31m\tb\nc??" + std::string(300, 'd'));
    TConnectionRows rows;
    rows.Status(1, "Emfange Datei");
    rows.URL(1, "http://a/b");
    rows.Status(2, "Übrig");
    rows.URL(2, "http://a/c");
    // Columns line up by characters.
    EXPECT_THAT(rows.Lines(80, 5), ElementsAre("  #1 Emfange Datei  http://a/b", "  #2 Übrig          http://a/c"));
}

} // namespace
