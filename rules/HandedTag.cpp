#include "rules/HandedTag.h"

namespace vorlin {

namespace {
thread_local const THandedTagScope* tInnermost = nullptr;
}

THandedTagScope::THandedTagScope(const vorlin_sdk::OLECHAR* wide, std::string_view text)
    : FWide(wide), FText(text), FOuter(tInnermost) {
    tInnermost = this;
}

THandedTagScope::~THandedTagScope() { tInnermost = FOuter; }

std::optional<std::string_view> THandedTagScope::TextOf(const vorlin_sdk::OLECHAR* wide) {
    if (!wide || !tInnermost || tInnermost->FWide != wide) return std::nullopt;
    return tInnermost->FText;
}

} // namespace vorlin
