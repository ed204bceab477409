#include "links/UrlHelpers.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

using namespace vorlin;

TEST(ClassifyLink, SchemesAndRelativeForms) {
    bool absolute = false;
    EXPECT_EQ(ClassifyLink("HtTp://x/", &absolute), lkHttp);
    EXPECT_TRUE(absolute);
    EXPECT_EQ(ClassifyLink("ftp://x"), lkFtp);
    EXPECT_EQ(ClassifyLink("Mailto:a@b"), lkMailto);
    EXPECT_EQ(ClassifyLink("Javascript:void(0)"), lkJavaScript);
    EXPECT_EQ(ClassifyLink("news:comp", &absolute), lkOtherScheme);
    EXPECT_TRUE(absolute);
    // https is of the http family: the stored kind byte stays lkHttp.
    EXPECT_EQ(ClassifyLink("HTTPS://x/", &absolute), lkHttp);
    EXPECT_TRUE(absolute);
    EXPECT_EQ(ClassifyLink("httpsx://x/"), lkOtherScheme);
    // The colon follows the question mark: a relative link with a query.
    EXPECT_EQ(ClassifyLink("page.html?goto=http://x", &absolute), lkRelative);
    EXPECT_FALSE(absolute);
    EXPECT_EQ(ClassifyLink("#top", &absolute), lkAnchor);
    EXPECT_TRUE(absolute);
    EXPECT_EQ(ClassifyLink("", &absolute), lkRelative);
    EXPECT_FALSE(absolute);
    EXPECT_EQ(ClassifyLink("http:/x"), lkOtherScheme);
}

TEST(EncodeURL, EscapesWhatAUrlCantHoldAndKeepsEscapesInEitherCase) {
    // An escape in lower case is an escape too; its digits become upper case,
    // so both spellings name one link.
    EXPECT_EQ(EncodeURL("a b%2Fc%2f~"), "a%20b%2Fc%2F%7E");
    EXPECT_EQ(EncodeURL(EncodeURL("a b%2Fc%2f~")), "a%20b%2Fc%2F%7E");
    EXPECT_EQ(EncodeURL("caf%c3%a9/%2e/%Ab"), "caf%C3%A9/%2E/%AB");
    EXPECT_EQ(EncodeURL("caf%C3%A9"), "caf%C3%A9");
    EXPECT_EQ(EncodeURL(""), "");
    EXPECT_EQ(EncodeURL("!#$&'()*+-./09:=?@AZaz\\_"), "!#$&'()*+-./09:=?@AZaz\\_");
    EXPECT_EQ(EncodeURL("\"%,;<>[]^`{|}"), "%22%25%2C%3B%3C%3E%5B%5D%5E%60%7B%7C%7D");
    EXPECT_EQ(EncodeURL(std::string("\x01\x7f\x80\xff", 4)), "%01%7F%80%FF");
    EXPECT_EQ(EncodeURL("100%"), "100%25");   // too short for an escape
    EXPECT_EQ(EncodeURL("%4"), "%254");
    EXPECT_EQ(EncodeURL("%G1"), "%25G1");
}

TEST(HTTPDecode, DecodesBackwardsAndRejectsMalformedEscapes) {
    EXPECT_EQ(HTTPDecode("a%20b%2fc"), "a b/c");
    // A "%" that decoding produces is not decoded again...
    EXPECT_EQ(HTTPDecode("%2541"), "%41");
    // ...but an escape may take its digits from a character decoded to its right.
    EXPECT_EQ(HTTPDecode("%4%41"), "J");
    EXPECT_EQ(HTTPDecode(""), "");
    try {
        HTTPDecode("a%2");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Error HTTPDecoding a%2");
    }
    EXPECT_THROW(HTTPDecode("%zz"), Exception);
    EXPECT_THROW(HTTPDecode("%"), Exception);
    EXPECT_THROW(HTTPDecode("%%41"), Exception);
}

TEST(HexToInt, CountsOtherCharactersAsZero) {
    EXPECT_EQ(HexToInt("ff"), 255);
    EXPECT_EQ(HexToInt("1A"), 26);
    EXPECT_EQ(HexToInt("g1"), 1);
    EXPECT_EQ(HexToInt("1g"), 16);
    EXPECT_EQ(HexToInt(""), 0);
}

TEST(ResolveURL, RelativeRootedAndClimbingReferences) {
    const std::string base = "http://h/a/b.html";
    EXPECT_EQ(ResolveURL(base, "./c.html"), "http://h/a/c.html");
    EXPECT_EQ(ResolveURL(base, "c.html"), "http://h/a/c.html");
    EXPECT_EQ(ResolveURL(base, "/c.html"), "http://h/c.html");
    EXPECT_EQ(ResolveURL(base, ".."), "http://h/");
    EXPECT_EQ(ResolveURL(base, "x/../y"), "http://h/a/x/../y");
    EXPECT_EQ(ResolveURL("http://host/a/b/page.html", "../../c/d.html"), "http://host/c/d.html");
    // Never above the server root.
    EXPECT_EQ(ResolveURL("http://host/a/", "../../../x"), "http://host/x");
    EXPECT_EQ(ResolveURL("http://host/", "../x"), "http://host/x");
    EXPECT_EQ(ResolveURL("http://host/a/b/", "../x/./../y"), "http://host/a/x/./../y");
    EXPECT_EQ(ResolveURL("http://host/a/b/", "../"), "http://host/a/");
    EXPECT_EQ(ResolveURL("http://host/a/", "..x"), "http://host/a/..x");
    EXPECT_EQ(ResolveURL("http://h/a/b.html", "c d.html"), "http://h/a/c%20d.html");
    EXPECT_EQ(ResolveURL("http://h/a/b.html", ""), "http://h/a/");
    EXPECT_EQ(ResolveURL("http://h:81/a/b.html", "/x"), "http://h:81/x");
}

TEST(ResolveURL, DirectoriesQueriesAndTheBasesQuery) {
    struct TCase {
        const char* Base;
        const char* Ref;
        const char* Expected;
    };
    const TCase cases[] = {
        // A climbing reference to a directory keeps its final "/".
        {"http://h/a/b.html", "../features/", "http://h/features/"},
        {"http://h/a/b/c.html", "../../x/y/", "http://h/x/y/"},
        {"http://h/a/b.html", "../", "http://h/"},
        {"http://h/a/b.html", "./x/", "http://h/a/x/"},
        // A query alone asks the page itself again.
        {"http://h/a/b.html", "?page=2", "http://h/a/b.html?page=2"},
        {"http://h/a/b.html?page=1", "?page=2", "http://h/a/b.html?page=2"},
        {"http://h/a/", "?q", "http://h/a/?q"},
        // A "/" in the base's query names no directory.
        {"http://h/a/list.php?dir=x/y", "c.html", "http://h/a/c.html"},
        {"http://h/a/list.php?dir=x/y", "../c.html", "http://h/c.html"},
        {"http://h/a/b.html#s/t", "c.html", "http://h/a/c.html"},
    };
    for (const TCase& c : cases) EXPECT_EQ(ResolveURL(c.Base, c.Ref), c.Expected) << c.Base << " + " << c.Ref;
}

TEST(RemoveDotSegments, DotSegmentsGoTheQueryStays) {
    const std::pair<const char*, const char*> cases[] = {
        {"a/.", "a/"},
        {".", ""},
        {"./", ""},
        {"a/./b.html", "a/b.html"},
        {"a/b/..", "a/"},
        {"a/b/../c", "a/c"},
        {"a/x/../../../y", "y"},  // never above the root
        {"..", ""},
        {"a/%2E/b", "a/b"},
        {"a/%2e%2E/b", "b"},
        {"a/.%2e/", ""},
        {"a/.hidden/...x/..../b", "a/.hidden/...x/..../b"},
        {"a/b.html?x=./../y", "a/b.html?x=./../y"},
        {"a/./b?q#f", "a/b?q#f"},
        {"a//b/./", "a//b/"},
        {"", ""},
        {"plain/path.html", "plain/path.html"},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(RemoveDotSegments(path), expected) << path;
}

TEST(LocalDirOfServer, PortsOtherThanTheSchemesOwnBecomePartOfTheDirectory) {
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"http://127.0.0.1:8080/", true, "127.0.0.1+8080\\"},
        {"http://127.0.0.1:8080/", false, "127.0.0.1\\"},
        {"http://host/", true, "host\\"},
        {"http://host:80/", true, "host\\"},
        {"http://host:080/", true, "host\\"},
        {"https://host:443/", true, "host\\"},
        {"https://host:80/", true, "host+80\\"},
        {"http://host:443/", true, "host+443\\"},
        {"http://user:pw@host:81/", true, "host+81\\"},
        {"HTTP://host:81/", true, "host+81\\"},
    };
    for (const auto& [server, withPort, expected] : cases)
        EXPECT_EQ(LocalDirOfServer(server, withPort), expected) << server;
}

TEST(SplitString, PiecesBetweenSeparators) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitString("http://h/a/", '/'), (V{"http:", "", "h", "a"}));
    EXPECT_EQ(SplitString("../x", '/'), (V{"..", "x"}));
    EXPECT_EQ(SplitString("abc", '/'), (V{"abc"}));
    EXPECT_EQ(SplitString("", '/'), (V{""}));
    EXPECT_EQ(SplitString("/", '/'), V{});
    EXPECT_EQ(SplitString("a//b", '/'), (V{"a", "", "b"}));
}

TEST(PosOfNth, CountsFromEitherEnd) {
    EXPECT_EQ(PosOfNth("/", "http://host/x", 3), 12);
    // Fewer occurrences than asked: past the end.
    EXPECT_EQ(PosOfNth("/", "http://host", 3), 12);
    EXPECT_EQ(PosOfNth("/", "host", 2), 6);
    EXPECT_EQ(PosOfNth("/", "a/b/c", -1), 4);
    EXPECT_EQ(PosOfNth("/", "a/b/c", -2), 2);
    EXPECT_EQ(PosOfNth("/", "a/b/c", -3), 0);
    EXPECT_EQ(PosOfNth("/", "a/b", 0), 0);
    // Searching on from the character after each start: overlaps count...
    EXPECT_EQ(PosOfNth("aa", "aaa", 2), 2);
    // ...but from the right only distinct occurrences do.
    EXPECT_EQ(PosOfNth("aa", "aaa", -2), 0);
    EXPECT_EQ(PosOfNth(".", "a.b.c", -2), 2);
}

TEST(SmallHelpers, RightPartAppendIfMissingLineBreaksSlashes) {
    EXPECT_EQ(RightPart("abcdef", 2), "ef");
    EXPECT_EQ(RightPart("ab", 5), "ab");
    EXPECT_EQ(RightPart("ab", 0), "");
    EXPECT_EQ(AppendIfMissing("http://h", '/'), "http://h/");
    EXPECT_EQ(AppendIfMissing("http://h/", '/'), "http://h/");
    EXPECT_EQ(AppendIfMissing("", '/'), "");
    EXPECT_EQ(RemoveLineBreaks("a\r\nb\nc\r"), "abc");
    EXPECT_EQ(SlashToBackslash("a/b\\c"), "a\\b\\c");
    EXPECT_EQ(BackslashToSlash("a/b\\c"), "a/b/c");
}

TEST(URLToLocalName, DecodesReplacesAndConvertsSlashes) {
    bool invalid = true;
    EXPECT_EQ(URLToLocalName("dir/a%20b.html?x=1", ",", true, invalid), "dir\\a b.html,x=1");
    EXPECT_FALSE(invalid);
    EXPECT_EQ(URLToLocalName("a//b", "_", true, invalid), "a_\\b");
    EXPECT_FALSE(invalid);
    EXPECT_EQ(URLToLocalName("a//b", "", true, invalid), "a\\\\b");
    EXPECT_TRUE(invalid);
    EXPECT_EQ(URLToLocalName("a//", "_", true, invalid), "a_\\");
    EXPECT_EQ(URLToLocalName("a/b", ",", false, invalid), "a/b");
    // A decoded "?" is replaced; a decoded "%" starts a further decoding.
    EXPECT_EQ(URLToLocalName("a%3Fb", ",", true, invalid), "a,b");
    EXPECT_EQ(URLToLocalName("%2541", ",", true, invalid), "A");
    EXPECT_EQ(URLToLocalName("a%2Fb", ",", true, invalid), "a\\b");
    // Escapes that aren't hexadecimal decode to control characters.
    EXPECT_EQ(URLToLocalName("x%zz", ",", true, invalid), "x,");
    EXPECT_EQ(URLToLocalName("x%", ",", true, invalid), "x,");
    EXPECT_EQ(URLToLocalName("a:b", "", true, invalid), "a:b");
    EXPECT_TRUE(invalid);
    EXPECT_EQ(URLToLocalName("", ",", true, invalid), "");
    EXPECT_FALSE(invalid);
}

TEST(URLToLocalName, ALongReplacementTakesOnlyTheInvalidCharacter) {
    bool invalid = false;
    // Each invalid character gives way to the whole replacement; nothing
    // after it is lost, so a?bc and a?xc stay apart.
    EXPECT_EQ(URLToLocalName("a?bc", "__", true, invalid), "a__bc");
    EXPECT_EQ(URLToLocalName("a?xc", "__", true, invalid), "a__xc");
    EXPECT_EQ(URLToLocalName("a<>", "[]", true, invalid), "a[][]");
}

TEST(ReplaceInvalidFileChars, MakesProjectNamesUsable) {
    EXPECT_EQ(ReplaceInvalidFileChars("http://h/a?b", "_"), "http___h_a_b");
    EXPECT_EQ(ReplaceInvalidFileChars("a\\b|c\"d*e<f>g\x01", "-"), "a-b-c-d-e-f-g-");
    EXPECT_EQ(ReplaceInvalidFileChars("a/b", ""), "a/b");
    EXPECT_EQ(ReplaceInvalidFileChars("plain name", "_"), "plain name");
}

TEST(DomainOfRoot, LastTwoLabelsOfTheHostText) {
    EXPECT_EQ(DomainOfRoot("http://h1.h2.h3/"), "h2.h3");
    EXPECT_EQ(DomainOfRoot("http://www.a.example.com/"), "example.com");
    EXPECT_EQ(DomainOfRoot("http://example.com/"), "example.com");
    EXPECT_EQ(DomainOfRoot("http://localhost/"), "localhost");
    EXPECT_EQ(DomainOfRoot("http://u:p@www.example.com:8080/"), "example.com:8080");
    EXPECT_EQ(DomainOfRoot("http://h.example.com"), "example.com");
    EXPECT_EQ(DomainOfRoot(""), "");
}

TEST(SplitURL, PartsOfAbsoluteAndRelativeForms) {
    TURLParts p = SplitURL("http://user:pw@host:8080/a/b?q");
    EXPECT_EQ(p.Proto, "http");
    EXPECT_EQ(p.User, "user");
    EXPECT_EQ(p.Password, "pw");
    EXPECT_EQ(p.Host, "host");
    EXPECT_EQ(p.Port, "8080");
    EXPECT_EQ(p.Path, "/a/b?q");

    // IPv6 literals: the colons inside the brackets are the address's own.
    struct TCase {
        const char* Url;
        const char* Host;
        const char* Port;
        const char* User;
    };
    for (const TCase& c : {TCase{"http://[::1]:8080/x", "[::1]", "8080", ""}, TCase{"http://[::1]/x", "[::1]", "", ""},
                           TCase{"http://u:p@[fe80::1]:81/", "[fe80::1]", "81", "u"},
                           TCase{"http://u@[::1]", "[::1]", "", "u"}}) {
        TURLParts v6 = SplitURL(c.Url);
        EXPECT_EQ(v6.Host, c.Host) << c.Url;
        EXPECT_EQ(v6.Port, c.Port) << c.Url;
        EXPECT_EQ(v6.User, c.User) << c.Url;
    }
    EXPECT_EQ(EncodeURL("http://[::1]:8080/a b?x=[1]"), "http://[::1]:8080/a%20b?x=%5B1%5D");

    p = SplitURL("/only/a/path");
    EXPECT_EQ(p.Proto, "http");
    EXPECT_EQ(p.Host, "");
    EXPECT_EQ(p.Path, "/only/a/path");

    p = SplitURL("//host/x");
    EXPECT_EQ(p.Host, "host");
    EXPECT_EQ(p.Path, "/x");

    p = SplitURL("http:x.html");
    EXPECT_EQ(p.Proto, "http");
    EXPECT_EQ(p.Path, "x.html");

    p = SplitURL("HTTP:/x/y");
    EXPECT_EQ(p.Path, "/x/y");
    EXPECT_EQ(p.Host, "");

    p = SplitURL("mailto:me@example.com");
    EXPECT_EQ(p.Proto, "mailto");
    EXPECT_EQ(p.User, "me");
    EXPECT_EQ(p.Host, "example.com");

    p = SplitURL("page.html");
    EXPECT_EQ(p.Proto, "");
    EXPECT_EQ(p.Host, "page.html");

    p = SplitURL("host:81");
    EXPECT_EQ(p.Host, "host");
    EXPECT_EQ(p.Port, "81");

    p = SplitURL("");
    EXPECT_EQ(p.Host, "");
    EXPECT_EQ(p.Path, "");
}
