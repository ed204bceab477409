#include "engine/HTMLClientParser.h"

#include "platform/Stream.h"

namespace vorlin {

void THTMLClientParser::BeginDocument(TDownloadLink& link, TMemoryStream& stream) {
    FParser.BeginDocument(link, stream);
}

} // namespace vorlin
