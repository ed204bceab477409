// What a fetch component needs of its HTML parser. The run adapts the HTML
// link parser to it; tests use a recording stand-in.
#pragma once

namespace vorlin {

class TDownloadLink;
class TMemoryStream;

class IClientParser {
public:
    virtual ~IClientParser() = default;
    // Starts a page: the link being fetched and the stream its bytes arrive in.
    virtual void BeginDocument(TDownloadLink& link, TMemoryStream& stream) = 0;
    // Parses what has arrived since the last call.
    virtual void ParseAvailable() = 0;
    // Parses the rest and finishes the page.
    virtual void EndDocument() = 0;
    // Forgets the page without finishing it.
    virtual void Reset() = 0;
    virtual bool IsOpen() const = 0;
};

} // namespace vorlin
