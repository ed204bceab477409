#include "links/HTMLParser.h"

#include "links/CharacterReferences.h"
#include "links/HTMLAttributes.h"
#include "links/LocalNames.h"
#include "links/ReferenceRepair.h"
#include "links/ServerRoots.h"
#include "links/ReferenceText.h"
#include "links/SrcsetCandidates.h"
#include "links/UrlHelpers.h"
#include "platform/DateTime.h"
#include "platform/DebugLog.h"
#include "platform/Exception.h"
#include "platform/Stream.h"
#include "platform/StringUtils.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LocalPath.h"

#include <algorithm>
#include <exception>
#include <memory>

namespace vorlin {

namespace {

// A link value of blanks only names nothing (it would stand for the page
// itself or its directory).
bool IsEmptyLinkText(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// Where the server root of an absolute URL ends, with url turned into the
// root followed by the rest: the root is scheme and host up to the first
// "/", "?" or "#" after the "//", and always ends in "/" (inserted when the
// host is followed by anything else or by nothing).
size_t SplitServerRoot(std::string& url) {
    size_t hostStart = url.find("//");
    hostStart = hostStart == std::string::npos ? 0 : hostStart + 2;
    size_t hostEnd = hostStart;
    while (hostEnd < url.size() && url[hostEnd] != '/' && url[hostEnd] != '?' && url[hostEnd] != '#')
        ++hostEnd;
    if (hostEnd == url.size() || url[hostEnd] != '/') url.insert(hostEnd, 1, '/');
    return hostEnd + 1;
}

bool HasLineBreak(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
}

// A link text as it is registered: without line breaks and the blanks
// around it, and "//host/x" with the scheme (one string built, as this runs
// for every link of every page).
std::string CleanLinkText(std::string_view text) {
    size_t first = 0, end = text.size();
    while (first < end && static_cast<unsigned char>(text[first]) <= ' ') ++first;
    while (end > first && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    const std::string_view inner = text.substr(first, end - first);
    std::string clean;
    if (!HasLineBreak(inner)) {
        clean.assign(inner); // the usual link text, copied in one go
    } else {
        clean.reserve(inner.size());
        for (char c : inner)
            if (c != '\r' && c != '\n') clean += c;
    }
    if (clean.compare(0, 2, "//") == 0) clean.insert(0, "http:");
    return clean;
}

// True when CleanLinkText would give the text back as it is.
bool IsCleanLinkText(std::string_view text) {
    if (text.empty()) return true;
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    return !blank(text.front()) && !blank(text.back()) && text.compare(0, 2, "//") != 0 &&
           !HasLineBreak(text);
}

// A network-path reference ("//host/path") names a server of its own; the
// scheme is the one we speak.
std::string WithScheme(std::string text) {
    return text.compare(0, 2, "//") == 0 ? "http:" + text : text;
}

std::string ResolveReference(const std::string& base, const std::string& reference) {
    return reference.compare(0, 2, "//") == 0 ? WithScheme(reference) : ResolveURL(base, reference);
}

// The path of url (after its root) without "." and ".." segments, as the
// server is asked for it: "." is the directory itself, not a file named ".".
void RemoveDotSegmentsAfterRoot(std::string& url, size_t rootLength) {
    // Segments start after a "/": only a "." or "%" there can begin one.
    const size_t from = rootLength - 1;
    if (url.find("/.", from) == std::string::npos && url.find("/%", from) == std::string::npos &&
        url.compare(rootLength, 1, ".") != 0 && url.compare(rootLength, 1, "%") != 0)
        return;
    url.replace(rootLength, std::string::npos, RemoveDotSegments(url.substr(rootLength)));
}

// A text whose first character past the blanks is "?" (a query alone)
// resolves against the whole base, not its directory; an empty one names
// the base itself.
bool DependsOnWholeBase(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) > ' ') return c == '?';
    return true;
}

} // namespace

THTMLParser::THTMLParser(TDownloadProject& project, IHTMLParserHooks& hooks)
    : FProject(project), FHooks(hooks),
      FAddLink([this](const std::string& url, TLinkType type) {
          // What a plugin writes for the link is its own: the repair reads every referrer.
          TDownloadLink* link = AddLink(url, type);
          if (link && FRepair) FRepair->LocalMayBeWritten(*link);
          return link;
      }) {}

THTMLParser::~THTMLParser() {
    Reset();
}

void THTMLParser::SetState(TParseState state) {
#ifndef NDEBUG
    static const char* const kNames[] = {"psClosed",     "psText",    "psScriptBody",
                                         "psLongScript", "psLongTag", "psLongComment"};
    if (state != FState)
        DebugLog(std::string("THTMLParser: ") + kNames[static_cast<int>(FState)] + " -> " +
                 kNames[static_cast<int>(state)]);
#endif
    FState = state;
}

void THTMLParser::BeginDocument(TDownloadLink& link, TStream& stream) {
    if (IsOpen()) return;
    auto* memory = dynamic_cast<TMemoryStream*>(&stream);
    if (!memory) throw EStreamError("The HTML parser reads pages from memory streams only");
    link.CompleteLocalFileName();
    FEndedPage = nullptr;
    FOutput.Open(LinkFilePath(FProject, link), FProject.TargetDir);

    FBase.clear();
    FTagText = {};
    FTagName.clear();
    DropScan();
    FInput = memory;
    FResume = std::max(memory->Origin(), std::min(memory->Position(), memory->Size()));
    FReader.Forget();
    // A resumed page: what arrived in the earlier run is already in the
    // stream ahead of the position; the new file must hold it too.
    try {
        FOutput.Write(std::string_view(memory->Memory(), static_cast<size_t>(FResume - memory->Origin())));
    } catch (...) {
        FOutput.CloseQuietly();
        FInput = nullptr;
        throw;
    }
    FVerbatimFrom = static_cast<size_t>(FResume);
    FPage = &link;
    SetState(TParseState::psText);
}

void THTMLParser::ParseAvailable() {
    if (!IsOpen()) return;
    TMemoryStream& input = *FInput;
    const int64_t size = input.Size();
    if (FResume > size) {
        // The stream was emptied behind our back: go on from its end.
        FResume = size;
        FVerbatimFrom = static_cast<size_t>(size);
        FScriptStart = std::min<size_t>(FScriptStart, static_cast<size_t>(size));
        FReader.Forget();
    }
    FReader.Attach(input.Memory(), static_cast<size_t>(input.Origin()), static_cast<size_t>(size),
                   static_cast<size_t>(FResume));

    // However the loop ends, the next call resumes where this one stopped,
    // and the run appends the next block at the end of the stream.
    struct TResumeGuard {
        THTMLParser& Parser;
        ~TResumeGuard() {
            Parser.FResume = static_cast<int64_t>(Parser.FReader.Position());
            Parser.FInput->SetPosition(Parser.FInput->Size());
            Parser.DiscardParsed();
        }
    } guard{*this};
    try {
        ParseLoop();
    } catch (...) {
        // The copy keeps what came before the text or tag that failed; that
        // one is left out, and the next call goes on after it.
        try {
            WriteVerbatimUpTo(std::min(FItemStart, FReader.Position()));
        } catch (...) {
        }
        FVerbatimFrom = std::max(FVerbatimFrom, FReader.Position());
        FTagText = {};
        throw;
    }
    // The input before the reader's position is let go of now.
    WriteVerbatimUpTo(FReader.Position());
    FTagText = {};
}

std::string_view THTMLParser::Unparsed() const {
    if (!IsOpen() || !FInput) return {};
    const int64_t from = std::max(FResume, FInput->Origin());
    if (from >= FInput->Size()) return {};
    return {FInput->Memory() + (from - FInput->Origin()), static_cast<size_t>(FInput->Size() - from)};
}

void THTMLParser::WriteVerbatimUpTo(size_t position) {
    if (position <= FVerbatimFrom) return;
    FOutput.Write(FReader.Slice(FVerbatimFrom, position));
    FVerbatimFrom = position;
}

void THTMLParser::WriteInPlaceOf(size_t start, size_t end, std::string_view text) {
    WriteVerbatimUpTo(start);
    FOutput.Write(text);
    FVerbatimFrom = end;
}

void THTMLParser::DiscardParsed() {
    int64_t keep = FResume;
    if (FState == TParseState::psScriptBody) keep = std::min<int64_t>(keep, static_cast<int64_t>(FScriptStart));
    FInput->DiscardBefore(keep);
}

void THTMLParser::ParseLoop() {
    // A scan read a part of these bytes: what it found there stays true
    // however much arrived after it (it took no unfinished tag). One that
    // claims more bytes than there are is of something else.
    if (FScan.Count() != 0 && FScan.To > FReader.Size()) DropScan();
    // The scan's plain tags are plain to these hooks where it looked for
    // what they look for.
    const bool plainKnown = FScan.Interest() && FScan.Interest() == FHooks.TagInterest().get();
    while (!FReader.AtEnd()) {
        FItemStart = SIZE_MAX;  // a script body is kept whole when its scan fails
        FAhead = nullptr;
        if (FState == TParseState::psScriptBody || FState == TParseState::psLongScript) {
            if (!ContinueScriptBody()) return;
            continue;
        }
        if (FState == TParseState::psLongTag || FState == TParseState::psLongComment) {
            if (!ContinuePassingThrough()) return;
            continue;
        }
        // Text, and every tag not rewritten, goes to the copy as it came.
        FItemStart = FReader.Position();
        FAhead = FScan.Next(FItemStart);
        // Tags the parser and the hooks do nothing with, and the texts
        // between them while no hook wants texts: passed over at once, and
        // written as they came.
        if (FAhead && FAhead->Plain && plainKnown && (!FPage || !FHooks.WantsTexts(*FPage))) {
            FReader.MoveTo(FScan.PassPlain());
            continue;
        }
        std::string_view text;
        if (FAhead) {
            text = FReader.Slice(FItemStart, FScan.PositionOf(FAhead->Lt));
            FReader.MoveTo(FScan.PositionOf(FAhead->Lt));
        } else {
            text = FReader.ReadText();
        }
        if (!text.empty() && FPage) FHooks.HandleText(FProject, *FPage, text, FAddLink);
        std::string_view tag;
        if (FAhead) {
            const size_t lt = FScan.PositionOf(FAhead->Lt);
            tag = FReader.Slice(lt + 1, lt + 1 + FAhead->TextLength);
            FReader.MoveTo(FScan.PositionOf(FAhead->After));
        } else if (!FReader.TryReadTag(tag)) {
            // Read again when the rest has arrived, unless there is too much of it.
            if (FReader.Size() - FReader.Position() <= kMaxHeldTag) return;
            StartPassingThrough();
            continue;
        }
        if (tag.size() > kMaxHeldTag) continue;  // written unparsed
        FTagText = tag;
        FTagEnd = FReader.Position();
        FTagStart = FTagEnd - tag.size() - 2;
        FItemStart = FTagStart;
        if (FAhead)
            FTagName.assign(TPageScan::NameOf(*FAhead));
        else
            AssignTagName(FTagText, FTagName);
        ProcessTag();
    }
}

void THTMLParser::StartPassingThrough() {
    const std::string_view rest = FReader.Slice(FReader.Position(), FReader.Size());
    SetState(rest.compare(0, 4, "<!--") == 0 ? TParseState::psLongComment : TParseState::psLongTag);
    DebugLog("THTMLParser: a tag of more than " + std::to_string(kMaxHeldTag) + " bytes in " + PageURL() +
             " is written unparsed");
}

bool THTMLParser::ContinuePassingThrough() {
    std::string_view passed;
    const bool ended = FState == TParseState::psLongComment ? FReader.PassCommentRest(passed)
                                                            : FReader.PassTagRest(passed);
    if (ended) SetState(TParseState::psText);
    return ended;
}

void THTMLParser::ProcessTag() {
    if (FTagName.empty()) {
        // "<>", "</>", "< b": not a tag, but text that happens to hold brackets.
        if (!FTagText.empty() && FPage)
            FHooks.HandleText(FProject, *FPage, FReader.Slice(FTagStart, FTagEnd), FAddLink);
        return;
    }
    // A tag a plugin claimed is stored as it came.
    if (FPage && FHooks.HandleTag(FProject, *FPage, FTagName, FTagText,
                                  FAhead ? FScan.WordsOf(*FAhead) : TTagWordsSeen{}, FAddLink))
        return;
    const std::string_view name = FTagName; // compares the lengths first
    if (name[0] == '!')
        return;
    else if (name == "SCRIPT")
        ProcessScriptTag();
    else if (name == "APPLET")
        ProcessAppletTag();
    else if (name == "BASE")
        ProcessBaseTag();
    else
        ProcessLinkTag();
}

void THTMLParser::ProcessLinkTag() {
    TLinkAttribute found;
    const TLinkAttributeView attribute = TagLinkAttribute(found);
    if (attribute.Type != ltNone) AddAndRewrite(attribute);
    if (FAhead ? FAhead->Srcset : MayHaveSrcset(FTagName, FTagText)) ProcessSrcset();
    ApplyRewrites();
}

TLinkAttributeView THTMLParser::TagLinkAttribute(TLinkAttribute& found) const {
    if (FAhead) return FScan.LinkOf(*FAhead);
    found = FindLinkAttribute(FTagText, FTagName);
    return TLinkAttributeView(found);
}

void THTMLParser::ProcessSrcset() {
    const TAttributeValue srcset = GetAttributeValue(FTagText, "srcset");
    if (!srcset.Present || srcset.Position + srcset.Length > FTagText.size()) return;
    // Split as written: character references hold no blank or comma.
    const std::string raw(FTagText.substr(srcset.Position, srcset.Length));
    for (const TSrcsetCandidate& candidate : SrcsetCandidates(raw)) {
        TLinkAttribute image;
        image.Type = ltSource;
        image.Value = DecodeCharacterReferences(std::string_view(raw).substr(candidate.Position, candidate.Length));
        image.Position = srcset.Position + candidate.Position;
        image.Length = candidate.Length;
        AddAndRewrite(TLinkAttributeView(image));
    }
}

void THTMLParser::AddAndRewrite(const TLinkAttributeView& attribute) {
    if (IsEmptyLinkText(attribute.Value)) return;
    AddLink(attribute.Value, attribute.Type);
    RewriteLink(attribute);
}

namespace {

// Filtered out already, or left out by the project's settings alone: an
// invalid name, an excluded extension, an external link beyond reach.
bool SettingsLeaveOut(TDownloadLink& link) {
    return link.State == lsFilteredOut || link.Invalid || link.ExcludedByExtension() ||
           (link.ExternalLevel > 0 && link.ExternalTooFar());
}

} // namespace

void THTMLParser::RewriteLink(const TLinkAttributeView& attribute) {
    if (!FProject.RewritesLinks() || !FCurrentLink || !FPage) return;
    if (FCurrentLink->Kind != lkHttp && FCurrentLink->Kind != lkRelative) return;
    if (attribute.Position + attribute.Length > FTagText.size()) return;
    // Each reference keeps its own fragment: one page may link to several
    // places of another. Whether the file will be there is known at the end
    // of the run, which repairs the references of those that are not. One
    // that the project's settings leave out gets its address now, as the
    // repair would give it; should it be stored after all (a rule may force
    // it), the repair points it at the copy.
    std::string text;
    if (FRepair && SettingsLeaveOut(*FCurrentLink)) {
        text = AbsoluteReferenceText(*FCurrentLink, TReferenceContainer::rcHtml);
        FRepair->AddressWritten(*FCurrentLink, FReferrerAdded);
    } else {
        text = LocalReferenceText(*FPage, *FCurrentLink);
        if (FRepair) FRepair->LocalMayBeWritten(*FCurrentLink);
    }
    if (!FCurrentAnchor.empty()) text += FragmentText(FCurrentAnchor, TReferenceContainer::rcHtml);
    FRewrites.push_back({attribute.Position, attribute.Length, std::move(text)});
}

void THTMLParser::ApplyRewrites() {
    if (FRewrites.empty()) return;
    // From the last value to the first, so that the positions of the
    // others stay where they were read.
    if (FRewrites.size() > 1)
        std::sort(FRewrites.begin(), FRewrites.end(),
                  [](const TRewrite& a, const TRewrite& b) { return a.Position > b.Position; });
    FRewrittenTag.assign("<").append(FTagText).append(">");
    size_t limit = FTagText.size();
    for (const TRewrite& rewrite : FRewrites) {
        if (rewrite.Position + rewrite.Length > limit) continue;  // overlapping values: the later one stays
        FRewrittenTag.replace(rewrite.Position + 1, rewrite.Length, rewrite.Text);
        limit = rewrite.Position;
    }
    FRewrites.clear();
    WriteInPlaceOf(FTagStart, FTagEnd, FRewrittenTag);
}

void THTMLParser::ProcessScriptTag() {
    if (FTagText[0] == '/') return;
    TLinkAttribute found;
    const TLinkAttributeView attribute = TagLinkAttribute(found);
    if (attribute.Type != ltNone) {
        // An external script: what follows up to the end tag is ordinary text.
        AddAndRewrite(attribute);
        ApplyRewrites();
        return;
    }
    FScriptStart = FReader.Position();
    SetState(TParseState::psScriptBody);
}

bool THTMLParser::ContinueScriptBody() {
    std::string_view passed;
    const size_t start = FReader.Position();
    bool found = FReader.TryReadScriptBody(passed);
    if (FProject.JavaScriptMode == jsDelete) WriteInPlaceOf(start, FReader.Position(), {});
    if (!found) {
        // A script too long to hold is passed on without being scanned.
        if (FState == TParseState::psScriptBody && FReader.Position() - FScriptStart > kMaxHeldScript)
            SetState(TParseState::psLongScript);
        return false;
    }
    const bool scan = FState == TParseState::psScriptBody;
    SetState(TParseState::psText);
    if (scan) ScanScript(FReader.Slice(FScriptStart, FReader.Position()));
    return true;
}

void THTMLParser::ScanScript(std::string_view code) {
    FJavaScript.Clear();
    FJavaScript.Source.assign(code);
    FJavaScript.ParseLinks();
    // AddLink may be called back into by plugins; keep our own copy.
    std::vector<std::string> links;
    links.swap(FJavaScript.Links);
    for (const std::string& url : links)
        if (!IsEmptyLinkText(url)) AddLink(url, ltScriptLink);
}

void THTMLParser::ProcessAppletTag() {
    if (FTagText[0] != '/') {
        TAttributeValue codeBase = GetAttributeValue(FTagText, "codebase");
        std::string archive = GetAttributeValue(FTagText, "archive").Value;
        std::string code = Trim(GetAttributeValue(FTagText, "code").Value);
        if (!code.empty() && (code.size() < 6 || !SameText(RightPart(code, 6), ".class")))
            code += ".class";

        // The code base names a directory, with or without its final "/".
        std::string base = Trim(RemoveLineBreaks(codeBase.Value));
        bool absolute = false;
        TLinkKind kind = ClassifyLink(base, &absolute);
        if (absolute)
            base = kind == lkHttp ? base : std::string();
        else
            base = ResolveReference(PageURL(), base);
        base = AppendIfMissing(base, '/');

        // The tag keeps its own texts, which the repair may change.
        auto addUnwritten = [&](const std::string& url, TLinkType type) {
            TDownloadLink* link = AddLink(url, type);
            if (link && FRepair) FRepair->LocalMayBeWritten(*link);
        };
        if (!base.empty()) {
            if (!code.empty()) addUnwritten(ResolveReference(base, code), ltAppletCode);
            if (!IsEmptyLinkText(archive))
                for (const std::string& entry : SplitCommaText(archive))
                    if (!IsEmptyLinkText(entry)) addUnwritten(ResolveReference(base, entry), ltAppletArchive);
        }
    }
    // Stored as it came: a relative code base still leads to the stored
    // classes, since the copy keeps the server's directory tree.
}

void THTMLParser::ProcessBaseTag() {
    TAttributeValue href = GetAttributeValue(FTagText, "href");
    std::string base = Trim(RemoveLineBreaks(href.Value));
    if (!base.empty()) {
        bool absolute = false;
        ClassifyLink(base, &absolute);
        if (!absolute) base = ResolveReference(PageURL(), base);
        if (PosOfNth("/", base, 3) > static_cast<int>(base.size())) base += '/';
        // Only an HTTP base can lead relative links anywhere we can fetch.
        if (ClassifyLink(base) != lkHttp) base.clear();
    }
    FBase = base;
    if (FProject.RewritesLinks() && !IsEmptyLinkText(href.Value))
        WriteInPlaceOf(FTagStart, FTagEnd, BaseTagWithoutHref(FTagText));
}

void THTMLParser::EndDocument() {
    // The run parses the last block itself; doing it here as well costs
    // nothing then and saves the page's end when it did not.
    try {
        ParseAvailable();
    } catch (...) {
        Close(true);
        throw;
    }
    Close(true);
}

void THTMLParser::Reset() {
    Close(false);
}

void THTMLParser::Close(bool writeRest) {
    if (!IsOpen()) return;
    std::exception_ptr error;
    try {
        if (writeRest && FInput && static_cast<int64_t>(FVerbatimFrom) < FInput->Size()) {
            bool dropScript = (FState == TParseState::psScriptBody || FState == TParseState::psLongScript) &&
                              FProject.JavaScriptMode == jsDelete;
            const int64_t from = std::max(static_cast<int64_t>(FVerbatimFrom), FInput->Origin());
            if (!dropScript)
                FOutput.Write(std::string_view(FInput->Memory() + (from - FInput->Origin()),
                                               static_cast<size_t>(FInput->Size() - from)));
        }
        // The copy bears the server's date, as the site's own files do.
        if (writeRest && FPage && FPage->LastModified != 0)
            FOutput.StampOnClose(DateTimeToUnix(FPage->LastModified));
        if (writeRest) {
            FOutput.Close();
            FEndedPage = FPage;
        } else {
            FOutput.CloseQuietly();
        }
    } catch (...) {
        error = std::current_exception();
        FOutput.CloseQuietly();
    }
    // At the page's end its references are all known: the room a growing
    // list kept in reserve is given back, a hundred thousand pages over. (A
    // parser reset may outlive the page: its link is left alone then.)
    if (writeRest && FPage) FPage->References.shrink_to_fit();
    FInput = nullptr;
    FResume = 0;
    FBase.clear();
    FReader.Forget();
    UseScan({});
    SetState(TParseState::psClosed);
    if (error) std::rethrow_exception(error);
}

void THTMLParser::ParseScriptFile(TDownloadLink& link, TStream& stream) {
    std::string code(static_cast<size_t>(std::max<int64_t>(0, stream.Size())), '\0');
    stream.SetPosition(0);
    code.resize(static_cast<size_t>(stream.Read(code.data(), static_cast<int64_t>(code.size()))));
    FBase.clear();
    FPage = &link;
    FTagName = "SCRIPT";
    ScanScript(code);
}

void THTMLParser::ParseWithPlugin(vorlin_sdk::IParserPluginInterface* plugin, TDownloadLink& link,
                                  TStream& stream) {
    FBase.clear();
    FTagText = {};
    FTagName.clear();
    FPage = &link;
    FHooks.ParseDocument(plugin, FProject, link, stream, LinkFilePath(FProject, link), FAddLink);
}

std::string THTMLParser::PageURL() const {
    return FPage ? FPage->FullURL() : std::string();
}

const std::string& THTMLParser::PageAddress() {
    // Kept from link to link, with its directory: the page's URL is the same
    // for all of them, and comparing it costs less than finding the directory.
    const std::string& server = FPage->Server();
    const std::string& path = FPage->Path;
    if (FPageURL.size() != server.size() + path.size() || FPageURL.compare(0, server.size(), server) != 0 ||
        FPageURL.compare(server.size(), std::string::npos, path) != 0) {
        FPageURL.assign(server).append(path);
        FPageDirectoryLength = ResolutionDirectory(FPageURL).size();
    }
    return FPageURL;
}

std::string_view THTMLParser::ResolutionContext() {
    if (!FBase.empty()) return ResolutionDirectory(FBase);
    return std::string_view(PageAddress()).substr(0, FPageDirectoryLength);
}

void THTMLParser::NoteReferrer(TDownloadLink& link) {
    if (!FReferrers.IsReferrer(*FProject.Links, *FPage, link)) {
        link.Referrers.push_back(FPage);
        FPage->References.push_back(&link);
        FReferrerAdded = true;
    }
}

TDownloadLink* THTMLParser::AddLink(std::string_view text, TLinkType type) {
    // The full URL without its anchor: the server root, then the path.
    std::string url;
    size_t rootLength = 0;
    try {
        // A text met before in the same directory names the same link. A
        // query alone ("?x") names the page itself again: not remembered.
        FReferrerAdded = false;
        const bool memorable = FPage && !DependsOnWholeBase(text);
        if (memorable) {
            std::string_view fragment;
            if (TDownloadLink* known = FProject.Links->ResolvedTexts.Find(ResolutionContext(), text, fragment)) {
                FCurrentAnchor.assign(fragment);
                NoteReferrer(*known);
                FCurrentLink = known;
                return known;
            }
        }
        // Most texts are clean already; only the others are copied.
        std::string cleaned;
        const std::string_view linkText = IsCleanLinkText(text) ? text : std::string_view(cleaned = CleanLinkText(text));
        bool absolute = false;
        const TLinkKind kind = ClassifyLink(linkText, &absolute);
        bool baseResolved = false;
        std::string anchor;
        if (absolute && kind != lkHttp) {
            url = linkText; // recorded with its whole text, never fetched
            rootLength = url.size();
        } else {
            std::string full;
            if (kind == lkHttp) {
                full = EncodeURL(linkText);
            } else if (!FBase.empty()) {
                full = ResolveURL(FBase, linkText);
                baseResolved = true;
            } else {
                if (!FPage) throw Exception("a relative link needs a page");
                full = ResolveURL(PageAddress(), linkText);
            }
            rootLength = SplitServerRoot(full);
            RemoveDotSegmentsAfterRoot(full, rootLength);
            size_t hash = full.find('#', rootLength);
            if (hash != std::string::npos) {
                anchor.assign(full, hash);
                full.resize(hash);
            }
            url = std::move(full);
        }

        FCurrentAnchor = anchor;
        TDownloadLink* existing = nullptr;
        if (FProject.Links->AlreadyFound(url, existing)) {
            if (FPage) NoteReferrer(*existing);
            if (memorable) FProject.Links->ResolvedTexts.Remember(ResolutionContext(), text, existing, anchor);
            FCurrentLink = existing;
            return existing;
        }
        // Texts the URL tree does not file are known again per page only.
        if (FPage && (existing = FReferrers.FindUnfiled(*FProject.Links, *FPage, url))) {
            FCurrentLink = existing;
            return existing;
        }

        auto link = std::make_unique<TDownloadLink>(&FProject);
        link->Kind = kind;
        link->LinkType = type;
        link->Level = FPage ? FPage->Level + 1 : 0;
        link->TagName = FTagName;
        link->BaseResolved = baseResolved;
        link->SetServer(url.substr(0, rootLength));
        link->Path.assign(url, rootLength);
        link->Anchor = anchor;
        if (FPage && !baseResolved && SameServer(link->Server(), FPage->Server())) link->ScopeDir = FPage->ScopeDir;
        bool invalid = false;
        link->LocalFileName =
            URLToLocalName(link->Path, FProject.InvalidCharReplacement(), true, invalid);
        link->Invalid = invalid;
        link->LocalFileName = FitLocalName(*link, FProject);
        if (kind == lkHttp && link->IsOutOfScope())
            link->ExternalLevel = (FPage ? FPage->ExternalLevel : 0) + 1;

        // Pages go to the end of the list; a page's images, frames and
        // scripts right after it, so that they are fetched first.
        if (FPage) link->Referrers.push_back(FPage);
        FReferrerAdded = FPage != nullptr;
        TDownloadLink* added = link.release(); // the list owns it, even when it throws
        if (type == ltPage || !FPage)
            FProject.Links->Add(added);
        else
            FProject.Links->InsertAfter(FPage, added);
        if (FPage) FPage->References.push_back(added);
        FCurrentLink = added;
        return added;
    } catch (const std::exception& e) {
        throw Exception("Error while Adding " + url + "(" + e.what() + ")");
    }
}

TDownloadLink* THTMLParser::AddRedirectTarget(TDownloadLink& redirected,
                                              const std::string& location) {
    std::string target = Trim(RemoveLineBreaks(location));
    bool absolute = false;
    ClassifyLink(target, &absolute);
    if (!absolute) target = ResolveReference(redirected.FullURL(), target);

    std::string savedBase, savedTagName = redirected.TagName;
    savedBase.swap(FBase);
    savedTagName.swap(FTagName);
    FPage = redirected.Referrers.empty() ? nullptr : redirected.Referrers.front();
    try {
        TDownloadLink* link = AddLink(target, redirected.LinkType);
        // The referrer's page names the redirected link, not this one.
        if (link && FRepair) FRepair->LocalMayBeWritten(*link);
        FBase.swap(savedBase);
        FTagName.swap(savedTagName);
        return link;
    } catch (...) {
        FBase.swap(savedBase);
        FTagName.swap(savedTagName);
        throw;
    }
}

} // namespace vorlin
