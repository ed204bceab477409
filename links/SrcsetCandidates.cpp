#include "links/SrcsetCandidates.h"

namespace vorlin {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

} // namespace

std::vector<TSrcsetCandidate> SrcsetCandidates(std::string_view value) {
    std::vector<TSrcsetCandidate> candidates;
    size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && (IsSpace(value[i]) || value[i] == ',')) ++i;
        if (i >= value.size()) break;
        const size_t start = i;
        while (i < value.size() && !IsSpace(value[i])) ++i;
        size_t end = i;
        const bool endedByComma = value[end - 1] == ',';
        while (end > start && value[end - 1] == ',') --end;
        if (end > start) candidates.push_back({start, end - start});
        if (endedByComma) continue;
        // Descriptors ("2x", "480w"), up to the comma that ends the candidate.
        int depth = 0;
        for (; i < value.size(); ++i) {
            if (value[i] == '(') ++depth;
            else if (value[i] == ')' && depth > 0) --depth;
            else if (value[i] == ',' && depth == 0) break;
        }
    }
    return candidates;
}

} // namespace vorlin
