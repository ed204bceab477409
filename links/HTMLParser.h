// The HTML link parser: reads a page while it downloads, registers every
// reference it finds as a link of the project (or the page as a further
// referrer of a known link), rewrites the references to point at the stored
// copies (unless the project mirrors) and writes the page to its local file
// as it goes. Each call to ParseAvailable handles every complete tag that
// has arrived and stops at the first incomplete one; no document tree, no
// second pass. Unknown tags and all text are copied byte for byte.
//
// One parser per fetch component, used only on the run's thread.
#pragma once

#include "links/HTMLParserHooks.h"
#include "links/HTMLTagReader.h"
#include "links/JavaScriptParser.h"
#include "links/LinkTypes.h"
#include "links/PageReferenceIndex.h"
#include "links/PageScan.h"
#include "links/PageWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorlin {

class TDownloadLink;
class TDownloadProject;
class TReferenceRepair;
class TMemoryStream;
class TStream;
struct TLinkAttribute;

class THTMLParser {
  public:
    // What the parser holds of a page at most beyond the block that just
    // arrived, whatever the page's size: one tag or comment (a longer one is
    // written through unparsed) and one inline script (a longer one is
    // written through unscanned). What has been parsed and written is let
    // go of at once.
    static constexpr size_t kMaxHeldTag = 1 << 20;
    static constexpr size_t kMaxHeldScript = 4 << 20;

    explicit THTMLParser(TDownloadProject& project, IHTMLParserHooks& hooks = NoHTMLParserHooks());
    ~THTMLParser();
    THTMLParser(const THTMLParser&) = delete;
    THTMLParser& operator=(const THTMLParser&) = delete;

    // Starts a page whose body arrives in stream, a memory stream the run
    // appends to (EStreamError for any other kind). Nothing happens while a
    // document is open. Parsing starts at the stream's position; bytes
    // before it (a resumed page) are copied to the new local file unchanged.
    // The file is the link's local path below the target directory; when it
    // cannot be created the parser stays closed and the error propagates.
    void BeginDocument(TDownloadLink& link, TStream& stream);
    // Parses what has arrived since the last call; nothing unless open.
    // Errors propagate (with the resume position kept); AddLink errors read
    // "Error while Adding <url>(<reason>)".
    void ParseAvailable();
    // Parses what has not been parsed yet, writes what is left (an
    // unfinished tag at the very end) as it stands, closes the local file
    // and closes the document, also when parsing or writing fails (which
    // then propagates).
    void EndDocument();
    // Ends the document without writing the rest and without raising: for a
    // transfer that is given up or started again.
    void Reset();
    bool IsOpen() const { return FState != TParseState::psClosed; }
    // The stream the open document is read from (null: none). Its owner
    // may free it before the document is ended (a transfer given up): only
    // while it is still the owner's may Unparsed be asked.
    const TMemoryStream* Input() const { return FInput; }
    // What has arrived of the open document and is not parsed yet, and the
    // position it starts at.
    std::string_view Unparsed() const;
    size_t ParsedTo() const { return static_cast<size_t>(FResume); }
    // A scan of the open document made ahead (of what Unparsed held): the
    // parser takes its tags from it where it meets them. Dropped when the
    // next document begins. Answers the scan it held before, emptied, for
    // its room to be used again.
    TPageScan UseScan(TPageScan scan) {
        FAhead = nullptr;
        TPageScan before = std::move(FScan);
        before.Clear();
        FScan = std::move(scan);
        return before;
    }

    // A downloaded script file: every URL the script scanner finds in the
    // whole stream is registered as ltScriptLink of link. Nothing is written.
    void ParseScriptFile(TDownloadLink& link, TStream& stream);
    // A document of a kind that a parser plugin claimed: the plugin parses
    // it and registers its links through the add-link function.
    void ParseWithPlugin(vorlin_sdk::IParserPluginInterface* plugin, TDownloadLink& link,
                         TStream& stream);

    // Registers one reference of the page and answers the registered link
    // (the existing one when the URL is known). Without a page (a redirect
    // of the start link) the link gets level 0 and no referrer.
    TDownloadLink* AddLink(std::string_view text, TLinkType type);
    // A redirect of redirected to location: registered as a link of
    // redirected's first referrer, with its type and tag name; a relative
    // location counts from redirected's URL.
    TDownloadLink* AddRedirectTarget(TDownloadLink& redirected, const std::string& location);

    // The run's end-of-run repair: with it, a reference to a link already
    // filtered out is written as its address at once, which spares the
    // page's repair; without it, every reference is written local.
    void SetReferenceRepair(TReferenceRepair* repair) { FRepair = repair; }
    // The run's page store: with it, the stored copies are made and written
    // by the store's thread, and a failure to write one is told there under
    // the ticket StoreTicket gives once the page is ended (0: written here,
    // its failures raised by the parser's calls as EFileError).
    void SetPageStore(TPageStore* store) { FOutput.SetStore(store); }
    uint64_t StoreTicket(const TDownloadLink& page) const { return FEndedPage == &page ? FOutput.LastTicket() : 0; }

    // The link last registered by AddLink.
    TDownloadLink* CurrentLink() const { return FCurrentLink; }
    // The link whose document is parsed: the referrer of new links.
    TDownloadLink* Page() const { return FPage; }
    void SetPage(TDownloadLink* page) { FPage = page; }
    const std::string& Base() const { return FBase; }
    // The tag in hand, valid while a block is parsed.
    std::string_view TagText() const { return FTagText; }
    const std::string& TagName() const { return FTagName; }
    TDownloadProject& Project() const { return FProject; }
    // The function handed to plugins: AddLink with the page set.
    const TAddLinkFunction& AddLinkFunction() const { return FAddLink; }

  private:
    // psText: between tags; psScriptBody: inside an inline script, whose
    // body runs to its end tag; psLongScript: the same for a script too long
    // to scan; psLongTag, psLongComment: inside a tag or comment too long
    // to hold, passed on unparsed up to its end.
    enum class TParseState { psClosed, psText, psScriptBody, psLongScript, psLongTag, psLongComment };
    void SetState(TParseState state);

    void ParseLoop();
    // The scan is of no use any more; its room is kept for the next.
    void DropScan() {
        FAhead = nullptr;
        FScan.Clear();
    }
    bool ContinueScriptBody();
    // An unfinished tag or comment that has grown past kMaxHeldTag: from
    // here on it is written through as it arrives.
    void StartPassingThrough();
    bool ContinuePassingThrough();
    // Lets the input stream go of what has been parsed and written.
    void DiscardParsed();
    void ProcessTag();
    void ProcessLinkTag();
    void ProcessScriptTag();
    void ProcessAppletTag();
    void ProcessBaseTag();
    // Every image candidate of an IMG's or SOURCE's srcset.
    void ProcessSrcset();
    // Writes what is still owed of the input up to position (an offset in
    // the stream) as it came.
    void WriteVerbatimUpTo(size_t position);
    // Writes text in place of the input from start to end.
    void WriteInPlaceOf(size_t start, size_t end, std::string_view text);
    // AddLink for a link attribute, then the rewriting of its value, which
    // ApplyRewrites makes in the tag text.
    // The link attribute of the tag in hand: the scan's, or read into found.
    TLinkAttributeView TagLinkAttribute(TLinkAttribute& found) const;
    void AddAndRewrite(const TLinkAttributeView& attribute);
    void RewriteLink(const TLinkAttributeView& attribute);
    void ApplyRewrites();
    void ScanScript(std::string_view code);
    // The directory references of the page resolve against (its BASE's or
    // its own), as the key of the link list's memo of resolved texts.
    std::string_view ResolutionContext();
    // The page's URL (FPage's server and path).
    const std::string& PageAddress();
    // Makes the page a referrer of link, once.
    void NoteReferrer(TDownloadLink& link);
    void Close(bool writeRest);
    std::string PageURL() const;

    TDownloadProject& FProject;
    IHTMLParserHooks& FHooks;
    TAddLinkFunction FAddLink;
    TParseState FState = TParseState::psClosed;
    TPageWriter FOutput;
    const TDownloadLink* FEndedPage = nullptr;  // the page last ended whole
    TMemoryStream* FInput = nullptr;
    int64_t FResume = 0;
    THTMLTagReader FReader;
    size_t FScriptStart = 0; // where the open script body began
    TDownloadLink* FCurrentLink = nullptr;
    std::string FCurrentAnchor; // the fragment of the reference AddLink registered last
    bool FReferrerAdded = false; // AddLink made the page a referrer of the link just now
    struct TRewrite {
        size_t Position, Length; // of the value in the tag text
        std::string Text;
    };
    std::vector<TRewrite> FRewrites; // of the current tag
    TDownloadLink* FPage = nullptr;
    std::string FBase;
    std::string FPageURL; // the page's URL while AddLink resolves against it
    size_t FPageDirectoryLength = 0; // of FPageURL's directory
    // Unchanged input is not copied to the output tag by tag but written in
    // spans, up to the next place where the output differs: from here.
    size_t FVerbatimFrom = 0;
    // Where the text or tag being handled starts (SIZE_MAX: none).
    size_t FItemStart = SIZE_MAX;
    // The tag in hand: its text between "<" and ">" (a view into the
    // input), where its "<" is and where its ">" ends.
    std::string_view FTagText;
    size_t FTagStart = 0, FTagEnd = 0;
    std::string FTagName;
    std::string FRewrittenTag;
    TPageScan FScan;
    const TScannedTag* FAhead = nullptr;  // the tag in hand, when the scan read it
    TJavaScriptParser FJavaScript;
    TPageReferenceIndex FReferrers;
    TReferenceRepair* FRepair = nullptr;
};

} // namespace vorlin
