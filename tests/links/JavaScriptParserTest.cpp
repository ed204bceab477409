#include "links/JavaScriptParser.h"

#include <gtest/gtest.h>

using namespace vorlin;

namespace {

std::vector<std::string> LinksOf(const std::string& source) {
    TJavaScriptParser js;
    js.Source = source;
    js.Parse();
    return js.Links;
}

using TLinks = std::vector<std::string>;

} // namespace

TEST(JavaScriptParser, SrcAssignmentNeedsAStatementEnd) {
    EXPECT_EQ(LinksOf("img.src = 'a.gif';\n"), TLinks{"a.gif"});
    EXPECT_EQ(LinksOf("img.src = 'a.gif'\n"), TLinks{"a.gif"});
    EXPECT_EQ(LinksOf("img.src = 'a.gif'"), TLinks{});
    EXPECT_EQ(LinksOf("a.src=\"x.gif\";b.src='y.gif';"), (TLinks{"x.gif", "y.gif"}));
    EXPECT_EQ(LinksOf("a.src='x.gif';a.src='x.gif';"), (TLinks{"x.gif", "x.gif"}));
}

TEST(JavaScriptParser, OnlyLiteralsOnTheRightCount) {
    EXPECT_EQ(LinksOf("img.src = 'a' + '.gif';"), TLinks{});
    EXPECT_EQ(LinksOf("img.src = name;"), TLinks{});
    EXPECT_EQ(LinksOf("img.src == 'a.gif';"), TLinks{});
    EXPECT_EQ(LinksOf("x = img.src;"), TLinks{});
    EXPECT_EQ(LinksOf("img.SRC = 'a.gif';"), TLinks{}); // ".src" is case-sensitive
    EXPECT_EQ(LinksOf("img.src = \t'a.gif' ;"), TLinks{"a.gif"});
}

TEST(JavaScriptParser, KeywordsAndConditionsAreSkipped) {
    EXPECT_EQ(LinksOf("if (x) img.src='b.gif';"), TLinks{"b.gif"});
    EXPECT_EQ(LinksOf("if ((a) && (b)) img.src='c.gif';"), TLinks{"c.gif"});
    EXPECT_EQ(LinksOf("while (f(x)) { img.src='d.gif'; }"), TLinks{"d.gif"});
    EXPECT_EQ(LinksOf("else img.src='e.gif';"), TLinks{"e.gif"});
    EXPECT_EQ(LinksOf("function swap(a) { a.src='f.gif'; }"), TLinks{"f.gif"});
    // A function without a body swallows the rest of the source.
    EXPECT_EQ(LinksOf("function f(a); a.src='g.gif';"), TLinks{});
}

TEST(JavaScriptParser, LiteralsHideSeparators) {
    EXPECT_EQ(LinksOf("img.src='a;b.gif';"), TLinks{"a;b.gif"});
    EXPECT_EQ(LinksOf("img.src='a\\'b';"), TLinks{"a'b"});
    EXPECT_EQ(LinksOf("img.src=\"it's.gif\";"), TLinks{"it's.gif"});
    // A closing curly bracket ends the statement even inside a literal; the
    // cut literal runs to the statement's end.
    EXPECT_EQ(LinksOf("img.src='ab}c.gif';"), TLinks{"a"});
}

TEST(JavaScriptParser, CarriageReturnsAreDeleted) {
    TJavaScriptParser js;
    js.Source = "a.src='x.gif';\r\nb.src='y.gif'\r\n";
    js.Parse();
    EXPECT_EQ(js.Source.find('\r'), std::string::npos);
    EXPECT_EQ(js.Links, (TLinks{"x.gif", "y.gif"}));
}

TEST(JavaScriptParser, StatementsFollowTheCuttingRules) {
    TJavaScriptParser js;
    js.Source = "a=1;;b=2\nc\n} d=3;";
    js.Parse();
    // The empty statement between two semicolons is kept, the one-character
    // line is not, and the blank after the bracket does not start "d=3".
    EXPECT_EQ(js.Expressions, (TLinks{"a=1", "", "b=2", "d=3"}));
}

TEST(JavaScriptParser, DocumentWriteTextsAreCollected) {
    TJavaScriptParser js;
    js.Source = "document.write('pic.gif');";
    js.Parse();
    EXPECT_EQ(js.WrittenText, "pic.gif");

    js.Clear();
    js.Source = "document.writeln(\"<a href='x'>\" + 'y');";
    js.Parse();
    EXPECT_EQ(js.WrittenText, "<a href='x'>y");

    // After a semicolon and a line end the statement begins with the line end.
    js.Clear();
    js.Source = "x=1;\ndocument.write('pic.gif');";
    js.Parse();
    EXPECT_EQ(js.WrittenText, "");
}

TEST(JavaScriptParser, UnquoteResolvesEscapes) {
    EXPECT_EQ(TJavaScriptParser::Unquote("'x\\ny'"), "x\ny");
    EXPECT_EQ(TJavaScriptParser::Unquote("  \"a\\tb\\Rc\" "), "a\tb\rc");
    EXPECT_EQ(TJavaScriptParser::Unquote("'\\\"\\'\\\\'"), "\"'\\");
    // An unknown escape drops its character; what moves up is taken as is.
    EXPECT_EQ(TJavaScriptParser::Unquote("'a\\x\\yb'"), "a\\yb");
    EXPECT_EQ(TJavaScriptParser::Unquote("'ab\\'"), "ab");
    EXPECT_EQ(TJavaScriptParser::Unquote("'"), "");
    EXPECT_EQ(TJavaScriptParser::Unquote(""), "");
}

// The page scan asks for the links alone: they must be the ones the full
// parse finds, also where a line break splits ".src" or none is named.
TEST(JavaScriptParser, LinksOnlyParseFindsWhatTheFullParseFinds) {
    for (const std::string& source :
         {std::string("a.src='x.gif';\r\nb.src='y.gif'\r\n"), std::string("img.s\r\nrc = 'split.gif';"),
          std::string("if (x) { pic.src=\"a.png\" } else { pic.src='b.png' }"),
          std::string("var u = 'no.gif'; document.write('<img src=w.gif>');"), std::string("x.SRC='upper.gif';"),
          std::string()}) {
        TJavaScriptParser full;
        full.Source = source;
        full.Parse();
        TJavaScriptParser linksOnly;
        linksOnly.Source = source;
        linksOnly.ParseLinks();
        EXPECT_EQ(linksOnly.Links, full.Links) << source;
        EXPECT_EQ(linksOnly.Source, full.Source) << source;
    }
}
