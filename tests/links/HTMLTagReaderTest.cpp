#include "links/HTMLTagReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vorlin;

namespace {

struct TReaderFixture : ::testing::Test {
    std::string buffer;
    THTMLTagReader reader;
    void Load(const std::string& text, size_t position = 0) {
        buffer = text;
        reader.Attach(buffer.data(), 0, buffer.size(), position);
    }
    void Append(const std::string& text) {
        size_t position = reader.Position();
        buffer += text;
        reader.Attach(buffer.data(), 0, buffer.size(), position);
    }
};

} // namespace

TEST_F(TReaderFixture, TextStopsBeforeTheNextTag) {
    Load("ab<p>cd");
    EXPECT_EQ(reader.ReadText(), "ab");
    EXPECT_EQ(reader.ReadText(), "");
    EXPECT_EQ(reader.ReadTag(), "p");
    EXPECT_EQ(reader.ReadText(), "cd");
    EXPECT_TRUE(reader.AtEnd());
}

TEST_F(TReaderFixture, QuotesDoNotProtectAGreaterSign) {
    Load("<a title='x>y'>");
    EXPECT_EQ(reader.ReadTag(), "a title='x");
    EXPECT_EQ(reader.ReadText(), "y'>");
}

TEST_F(TReaderFixture, CommentsRunToTheirEnd) {
    Load("<!-- a > b -->x<!-->y");
    EXPECT_EQ(reader.ReadTag(), "!-- a > b --");
    EXPECT_EQ(reader.ReadText(), "x");
    EXPECT_EQ(reader.ReadTag(), "!--"); // "<!-->" ends at once
    EXPECT_EQ(reader.ReadText(), "y");
}

TEST_F(TReaderFixture, MissingEndsRaiseAndKeepThePosition) {
    auto messageOf = [this] {
        try {
            reader.ReadTag();
        } catch (const EHTMLTagNotFound& e) {
            return e.Message();
        }
        return std::string("no error");
    };
    Load("x<a href=");
    reader.ReadText();
    EXPECT_EQ(messageOf(), "Can not find next HTML-Tag");
    EXPECT_EQ(reader.Position(), 1u);
    Load("<!-- open");
    EXPECT_EQ(messageOf(), "Can not find end of HTML-Remark");
    EXPECT_EQ(reader.Position(), 0u);
}

TEST_F(TReaderFixture, ReadCommentMayEndAtTheBufferEnd) {
    Load("a-->b-->");
    EXPECT_EQ(reader.ReadComment(), "a-->");
    EXPECT_EQ(reader.ReadComment(), "b-->");
    Load("--");
    EXPECT_THROW(reader.ReadComment(), EHTMLTagNotFound);
    EXPECT_EQ(reader.Position(), 0u);
}

TEST_F(TReaderFixture, ATagArrivingInPiecesIsReadOnceComplete) {
    // Each piece but the last leaves the tag incomplete.
    auto readInPieces = [this](const std::vector<std::string>& pieces) {
        Load(pieces.front());
        std::string_view tag;
        for (size_t i = 1; i < pieces.size(); ++i) {
            EXPECT_FALSE(reader.TryReadTag(tag)) << pieces[i - 1];
            Append(pieces[i]);
        }
        EXPECT_TRUE(reader.TryReadTag(tag));
        return std::string(tag);
    };
    EXPECT_EQ(readInPieces({"<img src=", "'a.gif'", ">rest"}), "img src='a.gif'");
    // A comment whose "-->" is split over the blocks.
    EXPECT_EQ(readInPieces({"<!-- x -", "-", ">"}), "!-- x --");
    // "<!-" at the end is not yet known to be a comment.
    EXPECT_EQ(readInPieces({"<!-", "- a>b -->"}), "!-- a>b --");
}

TEST_F(TReaderFixture, ScriptBodyEndsAtItsEndTag) {
    Load("a<b; '</scripts>' x</SCRIPT >");
    std::string_view passed;
    ASSERT_TRUE(reader.TryReadScriptBody(passed));
    EXPECT_EQ(passed, "a<b; '</scripts>' x");
    EXPECT_EQ(reader.ReadTag(), "/SCRIPT ");
}

TEST_F(TReaderFixture, ScriptBodyPassesWhatCannotBeItsEnd) {
    Load("var a = 1; </scr");
    std::string_view passed;
    EXPECT_FALSE(reader.TryReadScriptBody(passed));
    EXPECT_EQ(passed, "var a = 1; ");
    Append("ipt");
    EXPECT_FALSE(reader.TryReadScriptBody(passed));
    EXPECT_EQ(passed, "");
    Append("x b</script>");
    ASSERT_TRUE(reader.TryReadScriptBody(passed));
    EXPECT_EQ(passed, "</scriptx b");

    Load("no end at all");
    EXPECT_FALSE(reader.TryReadScriptBody(passed));
    EXPECT_EQ(passed, "no end at all");
    EXPECT_TRUE(reader.AtEnd());
}
