// The three points of a link's life at which the download runs the rules,
// and the sets of phases in which an element may take part.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace vorlin {

enum TRulePhase : int {
    rpBeforeRequest = 0,  // deciding whether to fetch: URL, path, local name, type known
    rpAfterHeaders = 1,   // the response header arrived: content type and size known too
    rpAfterDownload = 2,  // the file is saved
};

// Bit i set: the element takes part in phase i.
using TPhaseSet = uint32_t;

constexpr TPhaseSet PhaseSet(std::initializer_list<int> phases) {
    TPhaseSet set = 0;
    for (int p : phases) set |= TPhaseSet(1) << p;
    return set;
}

constexpr bool HasPhase(TPhaseSet set, int phase) {
    return phase >= 0 && phase < 32 && ((set >> phase) & 1) != 0;
}

} // namespace vorlin
