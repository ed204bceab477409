#include "engine/RunClient.h"

#include "platform/Stream.h"

#include <algorithm>
#include <memory>

namespace vorlin {

namespace {

std::unique_ptr<THTMLClientParser> MakeParser(TDownloadProject& project, IHTMLParserHooks& hooks,
                                              THTMLClientParser*& raw) {
    auto parser = std::make_unique<THTMLClientParser>(project, hooks);
    raw = parser.get();
    return parser;
}

} // namespace

TRunClient::TRunClient(IFetchOwner* run, int clientNumber, TDownloadProject& project, IHTMLParserHooks& hooks)
    : TArHTTP(run, clientNumber) {
    SetParser(MakeParser(project, hooks, FParser));
}

TRunClient::~TRunClient() { DetachEvents(); }

TMemoryStream* TRunClient::ReceiveMemory() const { return dynamic_cast<TMemoryStream*>(ReceiveStream); }

TFileStream* TRunClient::ReceiveFile() const { return dynamic_cast<TFileStream*>(ReceiveStream); }

TMemoryStream& TRunClient::NewReceiveMemory() {
    std::unique_ptr<TMemoryStream> stream = TakeSpareMemory();
    // Room for the announced length, within what a page may hold whole
    // (a hostile length must not reserve more).
    if (ContentLength() > 0)
        stream->Reserve(static_cast<size_t>(std::min<int64_t>(ContentLength(), static_cast<int64_t>(kKeptMemoryRoom))));
    TMemoryStream& result = *stream;
    SetOwnedReceiveStream(std::move(stream));
    return result;
}

void TRunClient::DetachEvents() {
    OnHeaderEnd = nullptr;
    OnDocData = nullptr;
    OnRequestDone = nullptr;
    OnLocationChange = nullptr;
    OnCookie = nullptr;
    TimeOutTimer().OnTimer = nullptr;
}

} // namespace vorlin
