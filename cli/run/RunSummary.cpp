#include "cli/run/RunSummary.h"

#include "cli/run/StatusLine.h"
#include "engine/RunTexts.h"

#include <charconv>
#include <functional>

namespace vorlin::cli {

namespace {

// Run text ids of the lines counted.
constexpr int kTextDownloaded = 603;  // "%s (%d Bytes) wurde heruntergeladen"
constexpr int kTextUnchanged = 602;   // "Kein Update benötigt für %s"
constexpr int kTextClientError = 621; // "HTTP client #%d encountered an error: %s. ..."

// Stands for a field while the text is split; no run text holds it.
const std::string kField = "\x1f";

size_t Hash(const std::string& text) { return std::hash<std::string>()(text); }

// "404 Not Found http://..." and the like: a request the server refused.
bool IsErrorStatusLine(const std::string& line) {
    if (line.size() < 4 || line[3] != ' ') return false;
    int status = 0;
    auto [end, ec] = std::from_chars(line.data(), line.data() + 3, status);
    return ec == std::errc() && end == line.data() + 3 && status >= 400 && status <= 599;
}

// Matches pieces[index..] against text[from..], filling fields; a field
// takes as much as the rest allows, so an address holding the text that
// follows it is still taken whole.
bool MatchFrom(const std::string& text, size_t from, const std::vector<std::string>& pieces, size_t index,
               std::vector<std::string>& fields) {
    const std::string& piece = pieces[index];
    if (index + 1 == pieces.size()) {
        // The last piece ends the text.
        if (text.size() < from + piece.size()) return false;
        const size_t at = text.size() - piece.size();
        if (index > 0) {
            fields.push_back(text.substr(from, at - from));
            return text.compare(at, piece.size(), piece) == 0;
        }
        return at == from && text.compare(at, piece.size(), piece) == 0;
    }
    if (index == 0) {
        if (text.compare(0, piece.size(), piece) != 0) return false;
        return MatchFrom(text, piece.size(), pieces, 1, fields);
    }
    // A field, then this piece: try its occurrences from the last one back.
    for (size_t at = text.rfind(piece); at != std::string::npos && at >= from; at = at == 0 ? std::string::npos : text.rfind(piece, at - 1)) {
        std::vector<std::string> tried = fields;
        tried.push_back(text.substr(from, at - from));
        if (MatchFrom(text, at + piece.size(), pieces, index + 1, tried)) {
            fields = std::move(tried);
            return true;
        }
        if (at == from) break;
    }
    return false;
}

} // namespace

TRunTextPattern::TRunTextPattern(int textId) {
    const std::string text = FormatRunText(textId, {kField, kField, kField, kField});
    size_t start = 0;
    for (size_t at = text.find(kField); at != std::string::npos; at = text.find(kField, start)) {
        FPieces.push_back(text.substr(start, at - start));
        start = at + kField.size();
    }
    FPieces.push_back(text.substr(start));
    size_t fixed = 0;
    for (const std::string& piece : FPieces) fixed += piece.size();
    FUsable = fixed > 0;
}

bool TRunTextPattern::Match(const std::string& line, std::vector<std::string>& fields) const {
    fields.clear();
    if (!FUsable) return false;
    return MatchFrom(line, 0, FPieces, 0, fields);
}

TRunSummary::TRunSummary()
    : FDownloaded(kTextDownloaded), FUnchanged_(kTextUnchanged), FClientError(kTextClientError) {}

void TRunSummary::NoteDownloadedBefore(const std::string& displayURL) { FKnown.insert(Hash(displayURL)); }

TLogLineKind TRunSummary::NoteLog(const std::string& line) {
    std::vector<std::string> fields;
    if (FUnchanged_.Match(line, fields)) {
        ++FUnchanged;
        return TLogLineKind::llUnchanged;
    }
    if (FDownloaded.Match(line, fields) && !fields.empty()) {
        if (FKnown.count(Hash(fields[0])))
            ++FUpdated;
        else
            ++FNew;
        if (fields.size() > 1) {
            int64_t bytes = 0;
            auto [end, ec] = std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), bytes);
            if (ec == std::errc() && end == fields[1].data() + fields[1].size() && bytes > 0) FBytes += bytes;
        }
        return TLogLineKind::llDownloaded;
    }
    return TLogLineKind::llOther;
}

void TRunSummary::NoteError(const std::string& line) {
    std::vector<std::string> fields;
    if (IsErrorStatusLine(line) || FClientError.Match(line, fields)) ++FFailed;
}

std::string TRunSummary::Format(double seconds, bool stopped) const {
    const double rate = seconds > 0 ? static_cast<double>(FBytes) / seconds : 0;
    return std::string(stopped ? "Stopped" : "Done") + ": " + std::to_string(FNew) + " new, " +
           std::to_string(FUpdated) + " updated, " + std::to_string(FUnchanged) + " unchanged, " +
           std::to_string(FilteredOut()) + " filtered out, " + std::to_string(FFailed) + " failed; " +
           FormatBytes(FBytes) + " in " + FormatDuration(seconds) + " (" +
           FormatBytes(static_cast<int64_t>(rate)) + "/s)";
}

} // namespace vorlin::cli
