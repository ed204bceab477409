#include "links/HTMLParserHooks.h"

namespace vorlin {

std::shared_ptr<const TTagInterest> TNoHTMLParserHooks::TagInterest() const {
    static const auto nothing = std::make_shared<const TTagInterest>(std::vector<std::string>{});
    return nothing;
}

IHTMLParserHooks& NoHTMLParserHooks() {
    static TNoHTMLParserHooks hooks;
    return hooks;
}

} // namespace vorlin
