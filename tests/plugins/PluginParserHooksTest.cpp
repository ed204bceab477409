// The HTML parser's plugin hooks and the application object, driven through
// the real parser with the test plugin.
#include "links/HTMLParser.h"
#include "links/PageScan.h"
#include "links/UrlHelpers.h"
#include "platform/Stream.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LocalPath.h"
#include "rules/ApplicationInterface.h"
#include "rules/HTMLParserInterest.h"
#include "rules/PluginStrings.h"
#include "rules/PluginSystem.h"
#include "tests/plugins/PluginTestSupport.h"

#include <algorithm>
#include <gmock/gmock.h>

using namespace vorlin;
using namespace vorlin::test;
using namespace vorlin_sdk;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class PluginParserHooksTest : public TPluginHostFixture {
protected:
    void StartHooks(const std::string& oneConfig, const std::string& twoConfig) {
        Install("one", "caps=9\n" + oneConfig);
        Install("two", "caps=9\n" + twoConfig);
        Start();
        FSystem.HandOverSettings(FHome.Path() + "p.prj.plugins");
        FProject.TargetDir = FHome.Path() + "site/";
        FPage = new TDownloadLink(&FProject);
        FPage->SetServer("http://h/");
        FPage->Path = "a/index.html";
        FPage->LocalFileName = "a\\index.html";
        FProject.Links->Add(FPage);
    }
    std::string ParsePage(const std::string& html) {
        TMemoryStream body;
        FParser.BeginDocument(*FPage, body);
        body.WriteBuffer(html.data(), static_cast<int64_t>(html.size()));
        FParser.ParseAvailable();
        FParser.EndDocument();
        return ReadFile(LinkFilePath(FProject, *FPage));
    }
    std::vector<std::string> References() const {
        std::vector<std::string> urls;
        for (auto* l : FPage->References) urls.push_back(l->FullURL());
        return urls;
    }

    TDownloadProject FProject;
    THTMLParser FParser{FProject, FSystem.ParserHooks()};
    TDownloadLink* FPage = nullptr;
};

TEST_F(PluginParserHooksTest, EveryEnabledPluginSeesTextsAndTagsAndAnyMayClaim) {
    StartHooks("handled=1", "active=0");
    std::string stored = ParsePage("Hi <a href=x.html>there</a>");
    EXPECT_EQ(stored, "Hi <a href=x.html>there</a>");  // claimed tags are written unchanged
    EXPECT_TRUE(References().empty());                   // and not processed further
    EXPECT_THAT(LogOf("one"), HasSubstr("HandleText [Hi ]"));
    EXPECT_THAT(LogOf("one"), HasSubstr("HandleTag A [a href=x.html]"));
    EXPECT_THAT(LogOf("one"), HasSubstr("HandleTag A [/a]"));
    // The disabled plugin gets the callback but no call.
    EXPECT_GT(CallCount("two", "SetAddLinkCallback"), 0);
    EXPECT_EQ(CallCount("two", "HandleTag"), 0);
}

TEST_F(PluginParserHooksTest, AllEnabledPluginsAreAskedEvenAfterAClaim) {
    StartHooks("handled=1", "handled=0");
    ParsePage("<img src=i.gif>");
    EXPECT_EQ(CallCount("one", "HandleTag IMG"), 1);
    EXPECT_EQ(CallCount("two", "HandleTag IMG"), 1);
    EXPECT_TRUE(References().empty());
}

// Tag names are converted once and handed out again: each call must still
// carry its own tag's name, also past the number of names kept.
TEST_F(PluginParserHooksTest, EveryTagArrivesUnderItsOwnNameWhenNamesRepeat) {
    StartHooks("", "active=0");
    std::string html = "<b><i><b></i>";
    for (int i = 0; i < 600; ++i) html += "<t" + std::to_string(i) + ">";
    html += "<b>";
    ParsePage(html);
    EXPECT_EQ(CallCount("one", "HandleTag B"), 3);
    EXPECT_EQ(CallCount("one", "HandleTag I"), 2);  // "</i>" is named I too
    EXPECT_EQ(CallCount("one", "HandleTag T0 "), 1);
    EXPECT_EQ(CallCount("one", "HandleTag T599 "), 1);
    EXPECT_THAT(LogOf("one"), HasSubstr("HandleTag T599 [t599]"));
}

// A plugin asking for an attribute of the tag it was handed gets what it
// would get for any copy of that text: the value, and its place counted in
// UTF-16 units from 1 (0 when absent), also past characters outside ASCII.
TEST_F(PluginParserHooksTest, AttributesOfTheHandedTagAreReadAsInAnyCopy) {
    StartHooks("tagattribute=SRC", "active=0");
    ParsePage("<img src=\"y.gif\" alt=z><img alt=\"\xc3\xbc\xf0\x9f\x98\x80\" src='x.gif'><p>"
              "<img\tSrc = ' a b '>");
    const std::string log = LogOf("one");
    EXPECT_THAT(log, HasSubstr("HandleTag IMG [img src=\"y.gif\" alt=z]\none: Attribute 0 10 [y.gif]"));
    // "img alt=\"" is 9 units, the two characters 3, "\" src='" 7.
    EXPECT_THAT(log, HasSubstr("src='x.gif']\none: Attribute 0 20 [x.gif]"));
    EXPECT_THAT(log, HasSubstr("HandleTag P [p]\none: Attribute 0 0 []"));
    EXPECT_THAT(log, HasSubstr("Attribute 0 12 [ a b ]"));
}

TEST(TagWords, EachWordIsOneBitAndKeptOnce) {
    std::vector<std::string> many = {"style", "data-x", "style"};
    for (int i = 0; i < 20; ++i) many.push_back("w" + std::to_string(i));
    const TTagInterest words(many);
    ASSERT_EQ(words.Count(), TTagInterest::kMostWords);
    EXPECT_EQ(words.IndexOf("style"), 0u);
    EXPECT_EQ(words.IndexOf("data-x"), 1u);
    EXPECT_EQ(words.IndexOf("w13"), 15u);
    EXPECT_EQ(words.IndexOf("w14"), std::string::npos);  // past the bits there are
    EXPECT_EQ(words.Found("p STYLE=1 w1=Data-X"), 0b1011u);  // w1 is bit 3
    EXPECT_EQ(words.Found("p"), 0u);
}

// An interest keyed to a list takes a scan's bits where the scan used that
// list, and searches the text where it used another or none.
TEST(HTMLParserInterest, TakesTheWordsAScanSawInTheListItIsKeyedTo) {
    const TTagInterest words(std::vector<std::string>{"other", "style", "data-x"});
    const TTagInterest sameWords(std::vector<std::string>{"other", "style", "data-x"});
    THTMLParserInterest interest = THTMLParserInterest::FromLists("img", "Style", "");
    interest.KeyWordsTo(&words);
    EXPECT_TRUE(interest.WantsTag("P", "p", {&words, 0b010}));  // the bits are taken, not the text
    EXPECT_FALSE(interest.WantsTag("P", "p style=1", {&words, 0b101}));
    EXPECT_TRUE(interest.WantsTag("IMG", "img", {&words, 0}));  // names still count
    EXPECT_TRUE(interest.WantsTag("P", "p style=1", {&sameWords, 0}));
    EXPECT_FALSE(interest.WantsTag("P", "p", {&sameWords, 0b111}));
    EXPECT_TRUE(interest.WantsTag("P", "p style=1"));
    // A word the list lacks: the interest searches, whatever the scan saw.
    THTMLParserInterest unlisted = THTMLParserInterest::FromLists("", "style title", "");
    unlisted.KeyWordsTo(&words);
    EXPECT_TRUE(unlisted.WantsTag("P", "p title=1", {&words, 0}));
    EXPECT_FALSE(unlisted.WantsTag("P", "p", {&words, 0b111}));
    interest.KeyWordsTo(nullptr);
    EXPECT_FALSE(interest.WantsTag("P", "p", {&words, 0b010}));
}

TEST(HTMLParserInterest, NamesPrefixesWordsAndTextElementsAsAPluginListsThem) {
    THTMLParserInterest all;
    EXPECT_TRUE(all.WantsTag("P", "p"));
    EXPECT_TRUE(all.WantsAllTexts());

    THTMLParserInterest some = THTMLParserInterest::FromLists(" style  Img\t!--* ", "Style data-x", "style Title");
    EXPECT_TRUE(some.WantsTag("STYLE", "/style"));
    EXPECT_TRUE(some.WantsTag("IMG", "img src=a.gif"));
    EXPECT_FALSE(some.WantsTag("IM", "im"));  // names are whole, unless they end in "*"
    EXPECT_TRUE(some.WantsTag("!--", "!-- x --"));
    EXPECT_TRUE(some.WantsTag("!--X", "!--x--"));
    EXPECT_TRUE(some.WantsTag("P", "p STYLE=\"color:red\""));  // a word in any case
    EXPECT_TRUE(some.WantsTag("P", "p DATA-X=1"));
    EXPECT_FALSE(some.WantsTag("P", "p class=sty le"));
    EXPECT_FALSE(some.WantsTag("P", "p class=styl"));  // a word cut by the end of the tag
    EXPECT_TRUE(some.WantsTag("X", "stYle"));          // the whole text, and at either end
    EXPECT_TRUE(some.WantsTag("X", "x a=STYLE"));
    EXPECT_TRUE(some.WantsTag("X", "data-x"));
    EXPECT_FALSE(some.WantsTag("X", "yyyy"));
    EXPECT_FALSE(some.WantsTag("IMX", "imx"));  // the length and first letter alone do not do
    // A word far into a long tag, or at its start.
    const std::string longTag = "div class=\"" + std::string(200, 'y') + "\"";
    EXPECT_FALSE(some.WantsTag("DIV", longTag));
    EXPECT_TRUE(some.WantsTag("DIV", longTag + " STYLE=x"));
    EXPECT_TRUE(some.WantsTag("DIV", "stylE " + longTag));
    // A word at every place of a tag, in blocks of sixteen and the rest,
    // in either case, and never when cut by the tag's end.
    for (size_t size = 5; size <= 40; ++size) {
        for (size_t at = 0; at + 5 <= size; ++at) {
            std::string tag(size, 'y');
            tag.replace(at, 5, at % 2 ? "STYLE" : "style");
            EXPECT_TRUE(some.WantsTag("P", tag)) << size << " " << at;
            EXPECT_FALSE(some.WantsTag("P", tag.substr(0, at + 4))) << size << " " << at;
            EXPECT_FALSE(some.WantsTag("P", tag.substr(at + 1))) << size << " " << at;
        }
    }
    // Names go by letter and length, up to long ones that share both.
    THTMLParserInterest longNames =
        THTMLParserInterest::FromLists("S " + std::string(40, 'X') + " " + std::string(35, 'X'), "", "");
    EXPECT_TRUE(longNames.WantsTag("S", "s"));
    EXPECT_FALSE(longNames.WantsTag("SS", "ss"));
    EXPECT_TRUE(longNames.WantsTag(std::string(40, 'X'), "x"));
    EXPECT_TRUE(longNames.WantsTag(std::string(35, 'X'), "x"));
    EXPECT_FALSE(longNames.WantsTag(std::string(36, 'X'), "x"));
    EXPECT_FALSE(some.WantsAllTexts());
    EXPECT_TRUE(some.WantsTextsInside());
    EXPECT_NE(some.TextElementBit("STYLE"), 0u);
    EXPECT_NE(some.TextElementBit("TITLE"), some.TextElementBit("STYLE"));
    EXPECT_EQ(some.TextElementBit("P"), 0u);

    THTMLParserInterest none = THTMLParserInterest::FromLists("", "", "");
    EXPECT_FALSE(none.WantsTag("A", "a href=x"));
    EXPECT_FALSE(none.WantsAllTexts());
    EXPECT_FALSE(none.WantsTextsInside());
    EXPECT_TRUE(THTMLParserInterest::FromLists("A *", "", "*").WantsTag("B", "b"));
    EXPECT_TRUE(THTMLParserInterest::FromLists("", "", "P *").WantsAllTexts());
    // More elements than can be told apart: every text.
    std::string many;
    for (int i = 0; i < 40; ++i) many += "E" + std::to_string(i) + " ";
    EXPECT_TRUE(THTMLParserInterest::FromLists("", "", many).WantsAllTexts());
}

// A plugin that says what it wants is handed that alone; the others are
// still handed everything, and two pages parsed in turns keep their own
// open elements.
TEST_F(PluginParserHooksTest, APluginIsHandedOnlyTheTagsAndTextsItAskedFor) {
    StartHooks("interest=1\ntagnames=STYLE !--*\ntagwords=style\ntextsin=STYLE", "");
    TDownloadLink* other = new TDownloadLink(&FProject);
    other->SetServer("http://h/");
    other->Path = "b.html";
    other->LocalFileName = "b.html";
    FProject.Links->Add(other);
    THTMLParser otherParser(FProject, FSystem.ParserHooks());
    TMemoryStream pageBody, otherBody;
    FParser.BeginDocument(*FPage, pageBody);
    otherParser.BeginDocument(*other, otherBody);
    auto feed = [](THTMLParser& parser, TMemoryStream& body, const std::string& block) {
        body.WriteBuffer(block.data(), static_cast<int64_t>(block.size()));
        parser.ParseAvailable();
    };
    feed(FParser, pageBody, "<p>before<style>in style");
    feed(otherParser, otherBody, "<b>other text</b>");
    feed(FParser, pageBody, "<!-- c --></style>after<div Style=x>div text</div>");
    FParser.EndDocument();
    otherParser.EndDocument();

    const std::string one = LogOf("one");
    EXPECT_THAT(one, HasSubstr("HandleTag STYLE [style]"));
    EXPECT_THAT(one, HasSubstr("HandleTag STYLE [/style]"));
    EXPECT_THAT(one, HasSubstr("HandleTag !-- [!-- c --]"));
    EXPECT_THAT(one, HasSubstr("HandleTag DIV [div Style=x]"));
    EXPECT_THAT(one, HasSubstr("HandleText [in style]"));
    EXPECT_EQ(CallCount("one", "HandleTag P"), 0);
    EXPECT_EQ(CallCount("one", "HandleTag B"), 0);
    EXPECT_EQ(CallCount("one", "HandleTag DIV [/div]"), 0);
    EXPECT_EQ(CallCount("one", "HandleText ["), 1);
    // The plugin that said nothing saw every tag and text of both pages.
    EXPECT_EQ(CallCount("two", "HandleTag "), 8);
    EXPECT_THAT(LogOf("two"), HasSubstr("HandleText [other text]"));
    EXPECT_THAT(LogOf("two"), HasSubstr("HandleText [div text]"));
}

// The plugins' words, noted by a page scan, hand each plugin the tags it
// would have been handed without the scan.
TEST_F(PluginParserHooksTest, TagsScannedForThePluginsWordsAreHandedOverAsWithoutAScan) {
    StartHooks("interest=1\ntagwords=style", "interest=1\ntagnames=B\ntagwords=data-x Title");
    const std::shared_ptr<const TTagInterest> words = FSystem.ParserHooks().TagInterest();
    ASSERT_TRUE(words);
    EXPECT_EQ(words->Count(), 3u);
    const std::string html = "<p style=1><b>x</b><i title=t DATA-X=2><img src=a.gif><q class='styl e'>";
    const std::string before[] = {LogOf("one"), LogOf("two")};
    ParsePage(html);
    const std::string alone[] = {LogOf("one"), LogOf("two")};
    TMemoryStream body;
    FParser.BeginDocument(*FPage, body);
    body.WriteBuffer(html.data(), static_cast<int64_t>(html.size()));
    FParser.UseScan(TPageScan::Read(FParser.Unparsed(), FParser.ParsedTo(), words));
    FParser.EndDocument();
    const std::string both[] = {LogOf("one"), LogOf("two")};
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(both[i].substr(alone[i].size()), alone[i].substr(before[i].size())) << "plugin " << i;
    EXPECT_EQ(CallCount("one", "HandleTag "), 2);  // P, once per parse
    EXPECT_EQ(CallCount("two", "HandleTag "), 6);  // B, /B, I
}

TEST_F(PluginParserHooksTest, APluginThatCannotSayWhatItWantsIsHandedEverything) {
    StartHooks("interest=1\nfail=GetInterest\ntagnames=STYLE", "interest=1\ntextsin=*\ntagnames=*");
    ParsePage("<p>text</p>");
    EXPECT_EQ(CallCount("one", "HandleTag P"), 2);
    EXPECT_EQ(CallCount("one", "HandleText [text]"), 1);
    EXPECT_EQ(CallCount("two", "HandleTag P"), 2);
    EXPECT_EQ(CallCount("two", "HandleText [text]"), 1);
}

TEST_F(PluginParserHooksTest, PluginsRegisterLinksOfThePageThroughTheCallback) {
    StartHooks("addlinks=extra.png,http://cdn/x.js\naddlinktype=5", "nullout=AddLink\naddlinks=other.png");
    std::string stored = ParsePage("<br>");
    EXPECT_EQ(stored, "<br>");
    std::vector<std::string> references = References();
    std::sort(references.begin(), references.end());
    EXPECT_EQ(references, (std::vector<std::string>{"http://cdn/x.js", "http://h/a/extra.png", "http://h/a/other.png"}));
    EXPECT_THAT(LogOf("one"), HasSubstr("AddLink extra.png -> ok a/extra.png"));
    TDownloadLink* script = nullptr;
    FProject.Links->AlreadyFound("http://cdn/x.js", script);
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->LinkType, ltScriptFile);
    EXPECT_THAT(LogOf("two"), HasSubstr("AddLink other.png -> ok"));  // no link object wanted
}

TEST_F(PluginParserHooksTest, BadCallsOfTheCallbackFailWithoutHarm) {
    StartHooks("addlinks=x.png\naddlinktype=42", "");
    ParsePage("<br>");
    EXPECT_THAT(LogOf("one"), HasSubstr("AddLink x.png -> failed"));
    EXPECT_TRUE(References().empty());
    // Kept and called after the hook returned: no page is being parsed.
    IDownLoadLink* link = reinterpret_cast<IDownLoadLink*>(1);
    EXPECT_EQ(TPluginParserHooks::AddLinkCallback(&FSystem.ParserHooks(), u"late.png", 0, &link), E_FAIL);
    EXPECT_EQ(link, nullptr);
    EXPECT_EQ(TPluginParserHooks::AddLinkCallback(&FSystem.ParserHooks(), nullptr, 0, nullptr), E_POINTER);
}

TEST_F(PluginParserHooksTest, AFailingHookStopsTheParseWithItsMessage) {
    StartHooks("fail=HandleTag", "");
    TMemoryStream body;
    FParser.BeginDocument(*FPage, body);
    body.WriteBuffer("<p>", 3);
    EXPECT_THROW(FParser.ParseAvailable(), EPluginError);
    FParser.Reset();
}

TEST_F(PluginParserHooksTest, AParserPluginParsesTheWholeDocument) {
    StartHooks("canparse=1\naddlinks=img/a.png", "");
    FPage->MimeType = "application/x-custom";
    IParserPluginInterface* plugin = FSystem.ClaimingParser(FProject, *FPage);
    ASSERT_NE(plugin, nullptr);
    TMemoryStream body;
    body.WriteBuffer("12345", 5);
    FParser.ParseWithPlugin(plugin, *FPage, body);
    EXPECT_THAT(LogOf("one"), HasSubstr("Parse " + LinkFilePath(FProject, *FPage) + " 5"));
    EXPECT_EQ(References(), std::vector<std::string>{"http://h/a/img/a.png"});
}

// --- The application object ---------------------------------------------------

TEST(ApplicationInterface, OffersTheUrlHelpersAndTheAttributeReader) {
    TComRef<TApplicationInterface> app(TApplicationInterface::Create());
    TBstr base("http://h/a/b.html"), ref("../c d.html"), result;
    ASSERT_EQ(app->ResolveURL(base.Get(), ref.Get(), result.Out()), S_OK);
    EXPECT_EQ(result.Utf8(), "http://h/c%20d.html");
    TBstr text("a b"), encoded;
    app->EncodeURL(text.Get(), encoded.Out());
    EXPECT_EQ(encoded.Utf8(), "a%20b");
    TBstr escaped("%zz"), decoded;
    EXPECT_LT(app->HTTPDecode(escaped.Get(), decoded.Out()), 0);  // the helper's error, as a result
    EXPECT_EQ(decoded.Get(), nullptr);
    EXPECT_EQ(app->EncodeURL(text.Get(), nullptr), E_POINTER);

    // Positions count UTF-16 units of the tag text from 1.
    TBstr tag("img alt=\"\xc3\xbc\xf0\x9f\x98\x80\" src='x.gif'"), name("SRC"), value;
    int32_t position = -1;
    ASSERT_EQ(app->GetAttributeValue(tag.Get(), name.Get(), &position, value.Out()), S_OK);
    EXPECT_EQ(value.Utf8(), "x.gif");
    std::u16string wide = Utf8ToUtf16(tag.Utf8());
    EXPECT_EQ(wide.substr(static_cast<size_t>(position - 1), 5), u"x.gif");
    TBstr missing("title");
    app->GetAttributeValue(tag.Get(), missing.Get(), &position, value.Out());
    EXPECT_EQ(position, 0);
    EXPECT_EQ(value.Utf8(), "");

    EXPECT_EQ(app->Reserved7(nullptr, nullptr, nullptr, 1, 2, 3), S_OK);
    int terminated = 0;
    app->OnTerminate = [&] { ++terminated; };
    EXPECT_EQ(app->Terminate(), S_OK);
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(app->TerminateRequested());
}

TEST_F(PluginParserHooksTest, APluginReachesTheApplicationObject) {
    Install("caller", "caps=0\nappcalls=1");
    Start();
    std::string log = LogOf("caller");
    EXPECT_THAT(log, HasSubstr("ResolveURL http://h/c%20d.html"));
    EXPECT_THAT(log, HasSubstr("EncodeURL a%20b"));
    EXPECT_THAT(log, HasSubstr("HTTPDecode a b"));
    EXPECT_THAT(log, HasSubstr("HTTPDecode of a bad escape failed"));
    EXPECT_THAT(log, HasSubstr("GetAttributeValue 0 10 x.gif"));
    EXPECT_THAT(log, HasSubstr("Reserved7 0"));
}

} // namespace
