// The HTML link parser in the shape a fetch component holds its parser
// (IClientParser). The run reaches the parser itself through Html() for
// what only it asks of it: script files, plugin documents, redirect targets.
#pragma once

#include "engine/ClientParser.h"
#include "links/HTMLParser.h"

namespace vorlin {

class THTMLClientParser final : public IClientParser {
public:
    THTMLClientParser(TDownloadProject& project, IHTMLParserHooks& hooks) : FParser(project, hooks) {}

    void BeginDocument(TDownloadLink& link, TMemoryStream& stream) override;
    void ParseAvailable() override { FParser.ParseAvailable(); }
    void EndDocument() override { FParser.EndDocument(); }
    void Reset() override { FParser.Reset(); }
    bool IsOpen() const override { return FParser.IsOpen(); }

    THTMLParser& Html() { return FParser; }

private:
    THTMLParser FParser;
};

} // namespace vorlin
