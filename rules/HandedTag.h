// The tag text the HTML parser hooks are handing to the plugins right now,
// on this thread. A plugin that asks the program about that very string
// (the css plugin asks for the style attribute of every tag that has one)
// is answered from the parser's own text instead of converting the plugin's
// copy back. Scopes nest as hook calls do.
#pragma once

#include "plugins/sdk/VorlinPlugin.h"

#include <optional>
#include <string_view>

namespace vorlin {

class THandedTagScope {
public:
    // wide is the plugins' copy of text, valid for the scope.
    THandedTagScope(const vorlin_sdk::OLECHAR* wide, std::string_view text);
    ~THandedTagScope();
    THandedTagScope(const THandedTagScope&) = delete;
    THandedTagScope& operator=(const THandedTagScope&) = delete;

    // The program's text of wide when wide is the copy handed over in the
    // innermost scope (nothing for any other string).
    static std::optional<std::string_view> TextOf(const vorlin_sdk::OLECHAR* wide);

private:
    const vorlin_sdk::OLECHAR* FWide;
    std::string_view FText;
    const THandedTagScope* FOuter;
};

} // namespace vorlin
