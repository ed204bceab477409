#include "links/HTMLParserHooks.h"

namespace vorlin {

IHTMLParserHooks& NoHTMLParserHooks() {
    static TNoHTMLParserHooks hooks;
    return hooks;
}

} // namespace vorlin
