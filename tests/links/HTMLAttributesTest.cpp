#include "links/HTMLAttributes.h"

#include <gtest/gtest.h>

using namespace vorlin;

TEST(HTMLAttributes, TagNamesEndAtAnyBlank) {
    EXPECT_EQ(TagNameOf("a href=x"), "A");
    EXPECT_EQ(TagNameOf("/Script"), "SCRIPT");
    EXPECT_EQ(TagNameOf("img\nsrc=a.gif"), "IMG");
    EXPECT_EQ(TagNameOf("frame\tsrc=f.html"), "FRAME");
    EXPECT_EQ(TagNameOf(" a"), "");
    EXPECT_EQ(TagNameOf(""), "");
    EXPECT_EQ(TagNameOf("/"), "");
    EXPECT_EQ(TagNameOf("!-- x --"), "!--");
}

TEST(HTMLAttributes, ValuesQuotedOrNot) {
    const std::string tag = "a  HREF = \"x y.html\" title='it' id=top name";
    TAttributeValue href = GetAttributeValue(tag, "href");
    ASSERT_TRUE(href.Present);
    EXPECT_EQ(href.Value, "x y.html");
    EXPECT_EQ(tag.substr(href.Position, href.Value.size()), "x y.html");
    EXPECT_EQ(GetAttributeValue(tag, "TITLE").Value, "it");
    TAttributeValue id = GetAttributeValue(tag, "id");
    EXPECT_EQ(id.Value, "top");
    EXPECT_EQ(tag.substr(id.Position, 3), "top");
    // A name without a value is not an attribute.
    EXPECT_FALSE(GetAttributeValue(tag, "name").Present);
    EXPECT_FALSE(GetAttributeValue(tag, "a").Present);
}

TEST(HTMLAttributes, EmptyValuesArePresent) {
    TAttributeValue v = GetAttributeValue("img src=\"\" alt=x", "src");
    EXPECT_TRUE(v.Present);
    EXPECT_EQ(v.Value, "");
    EXPECT_EQ(v.Position, 9u);
    EXPECT_EQ(GetAttributeValue("img alt=x", "src").Present, false);
}

TEST(HTMLAttributes, FirstMatchWins) {
    EXPECT_EQ(GetAttributeValue("a href=one href=two", "href").Value, "one");
}

TEST(HTMLAttributes, SloppyMarkupStillYieldsItsAttributes) {
    // No blank after a closing quote, tabs and line breaks as separators,
    // and a quote inside an unquoted value.
    EXPECT_EQ(GetAttributeValue("img alt=\"x\"src=\"a.gif\"", "src").Value, "a.gif");
    EXPECT_EQ(GetAttributeValue("img\talt=x\tsrc=b.gif", "src").Value, "b.gif");
    EXPECT_EQ(GetAttributeValue("img\r\nsrc=\r\n'c.gif'", "src").Value, "c.gif");
    EXPECT_EQ(GetAttributeValue("img alt=it's src=d.gif", "src").Value, "d.gif");
    EXPECT_EQ(GetAttributeValue("a href='x\"y'", "href").Value, "x\"y");
    // An unclosed quote hides the rest of the tag.
    EXPECT_FALSE(GetAttributeValue("a title='x href=y", "href").Present);
    // What a quoted value holds is no attribute: blanks, "=", the other quote.
    const std::string tag = "img title=\"x src=y.gif alt='z'\" src=real.gif";
    EXPECT_EQ(GetAttributeValue(tag, "src").Value, "real.gif");
    EXPECT_EQ(GetAttributeValue(tag, "title").Value, "x src=y.gif alt='z'");
    EXPECT_FALSE(GetAttributeValue(tag, "alt").Present);
    // A quote before any "=" is read character by character.
    EXPECT_EQ(GetAttributeValue("a \"x=1\" href=h.html", "href").Value, "h.html");
}

// Runs of blanks and of ordinary characters are read in one go: what
// follows a run is read as after a single character of it.
TEST(HTMLAttributes, RunsOfBlanksAndLongWordsAreReadWhole) {
    const std::string name = "data-" + std::string(200, 'n');
    const std::string value(300, 'v');
    const std::string tag = "div   \t\n  " + name + "=" + value + "  \r\n  style=color:red";
    const TAttributeValue style = GetAttributeValue(tag, "style");
    EXPECT_EQ(style.Value, "color:red");
    EXPECT_EQ(style.Position, tag.size() - 9);
    EXPECT_EQ(GetAttributeValue(tag, name).Value, value);
    EXPECT_EQ(GetAttributeValue("input   checked    value=x", "value").Value, "x");
    EXPECT_FALSE(GetAttributeValue("input   checked    value=x", "checked").Present);
    EXPECT_EQ(GetAttributeValue("a href   =   'x.html'   ", "href").Value, "x.html");
    EXPECT_EQ(GetAttributeValue("a b=it's\tc=d", "c").Value, "d");
}

TEST(HTMLAttributes, LinkAttributeOrderAndTypes) {
    auto type = [](const char* tag) { return FindLinkAttribute(tag, TagNameOf(tag)).Type; };
    EXPECT_EQ(type("a href='/b/x.html'"), ltPage);
    EXPECT_EQ(type("img src=a.gif"), ltSource);
    EXPECT_EQ(type("frame src='f.html'"), ltPage);
    EXPECT_EQ(type("iframe src='f.html'"), ltSource);
    EXPECT_EQ(type("script src=x.js"), ltScriptFile);
    EXPECT_EQ(type("body background=bg.gif"), ltBackground);
    EXPECT_EQ(type("td background=bg.gif src=s.gif"), ltSource);
    EXPECT_EQ(type("link src=s.css href=h.css"), ltPage);
    EXPECT_EQ(type("p class=x"), ltNone);
    EXPECT_EQ(type("/a"), ltNone);
}

TEST(HTMLAttributes, AWordWithoutItsAttributeDoesNotHideTheNext) {
    TLinkAttribute link = FindLinkAttribute("img alt='see href' src=a.gif", "IMG");
    EXPECT_EQ(link.Type, ltSource);
    EXPECT_EQ(link.Value, "a.gif");
    // The tag's own name does not count as the word.
    EXPECT_EQ(FindLinkAttribute("src", "SRC").Type, ltNone);
}

TEST(HTMLAttributes, LinkWordsInAnyCaseAndAtTheTagsEnd) {
    EXPECT_EQ(FindLinkAttribute("A HrEf=x.html", "A").Value, "x.html");
    EXPECT_EQ(FindLinkAttribute("IMG SRC=y.gif", "IMG").Value, "y.gif");
    EXPECT_EQ(FindLinkAttribute("TD BackGround=z.gif", "TD").Type, ltBackground);
    // The words cut off by the tag's end name nothing.
    EXPECT_EQ(FindLinkAttribute("a hre", "A").Type, ltNone);
    EXPECT_EQ(FindLinkAttribute("img sr", "IMG").Type, ltNone);
    // An "h" that starts neither word, then one that does.
    const std::string tag = "META name=hh HTTP-EQUIV=Refresh CONTENT='0; URL=n.html'";
    EXPECT_EQ(FindLinkAttribute(tag, "META").Value, "n.html");
}

TEST(HTMLAttributes, LinkAttributesAfterAnyKindOfSeparator) {
    // A name right after the quote that closed the value before it.
    EXPECT_EQ(FindLinkAttribute("a title=\"x\"href=\"y.html\"", "A").Value, "y.html");
    EXPECT_EQ(FindLinkAttribute("img alt='x'src='p.gif'", "IMG").Value, "p.gif");
    // After a tab, a line break, or several blanks.
    EXPECT_EQ(FindLinkAttribute("a\thref=t.html", "A").Value, "t.html");
    EXPECT_EQ(FindLinkAttribute("img\r\nsrc=n.gif", "IMG").Value, "n.gif");
    EXPECT_EQ(FindLinkAttribute("td  \n background=b.gif", "TD").Type, ltBackground);
    // Inside a name or a value the words name nothing.
    EXPECT_EQ(FindLinkAttribute("a data-href=x.html", "A").Type, ltNone);
    EXPECT_EQ(FindLinkAttribute("a title='see src=x.gif'", "A").Type, ltNone);
}

// Long tags are looked at sixteen places at a time: a word found at any
// place, also across the blocks and in what is left after them.
TEST(HTMLAttributes, LinkWordsAtEveryPlaceOfALongTag) {
    for (size_t fill = 0; fill < 40; ++fill) {
        const std::string before = "a title=\"" + std::string(fill, 'y');
        for (const char* separator : {"\" ", "\"\t", "\"\r\n", "\""}) {
            const std::string tag = before + separator + "HRef=v.html";
            EXPECT_EQ(FindLinkAttribute(tag, "A").Value, "v.html") << tag;
        }
        EXPECT_EQ(FindLinkAttribute(before + "\" xhref=v.html", "A").Type, ltNone);
        EXPECT_EQ(FindLinkAttribute("td " + std::string(fill, 'b') + "=1 background=g.gif", "TD").Type, ltBackground);
        EXPECT_EQ(FindLinkAttribute("img alt='" + std::string(fill, 's') + "' src=i.gif", "IMG").Value, "i.gif");
    }
}

TEST(HTMLAttributes, MetaRefreshNamesOnlyItsURL) {
    const std::string tag = "meta http-equiv='Refresh' content='5; URL=next.html'";
    TLinkAttribute link = FindLinkAttribute(tag, "META");
    EXPECT_EQ(link.Type, ltPage);
    EXPECT_EQ(link.Value, "next.html");
    EXPECT_EQ(tag.substr(link.Position, link.Length), "next.html");

    const std::string quoted = "meta http-equiv=refresh content=\"0;url='q.html' \"";
    link = FindLinkAttribute(quoted, "META");
    EXPECT_EQ(link.Value, "q.html");
    EXPECT_EQ(quoted.substr(link.Position, link.Length), "q.html");

    link = FindLinkAttribute("meta http-equiv=refresh content=http://h/x.html", "META");
    EXPECT_EQ(link.Value, "http://h/x.html");
    // A bare delay reloads the page itself: no link.
    EXPECT_EQ(FindLinkAttribute("meta http-equiv=refresh content='5'", "META").Type, ltNone);
    EXPECT_EQ(FindLinkAttribute("meta http-equiv='Content-Type' content='text/html'", "META").Type,
              ltNone);
}

TEST(HTMLAttributes, BaseTagLosesOnlyItsHref) {
    EXPECT_EQ(BaseTagWithoutHref("base href='http://other/dir/'"), "<base>");
    EXPECT_EQ(BaseTagWithoutHref("BASE target=_top HREF=\"http://o/\""), "<base target=\"_top\">");
    EXPECT_EQ(BaseTagWithoutHref("base title='say \"hi\"' href=x"), "<base title='say \"hi\"'>");
    EXPECT_EQ(BaseTagWithoutHref("base a='x\"y' b=\"it's\" href=x"), "<base a='x\"y' b=\"it's\">");
    EXPECT_EQ(BaseTagWithoutHref("base t=\"a'b\" u='c\"d'x=1 href=x"),
              "<base t=\"a'b\" u='c\"d' x=\"1\">");
}

TEST(HTMLAttributes, CommaTextsSplitLikeLists) {
    using TList = std::vector<std::string>;
    EXPECT_EQ(SplitCommaText("a.jar"), TList{"a.jar"});
    EXPECT_EQ(SplitCommaText("a b.jar"), TList{"a b.jar"});
    EXPECT_EQ(SplitCommaText("a.jar,b.jar"), (TList{"a.jar", "b.jar"}));
    EXPECT_EQ(SplitCommaText(" a.jar , b.jar c.jar"), (TList{"a.jar", "b.jar", "c.jar"}));
    EXPECT_EQ(SplitCommaText("\"x, y.jar\",\"q\"\"z\""), (TList{"x, y.jar", "q\"z"}));
    EXPECT_EQ(SplitCommaText("a,"), (TList{"a", ""}));
}
