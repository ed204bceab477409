// A THttpCli with every event recorded, for the client tests.
#pragma once

#include "net/HttpCli.h"
#include "platform/Stream.h"
#include "tests/support/LoopHelpers.h"

#include <string>
#include <vector>

namespace vorlin::test {

class THttpProbe : public THttpCli {
public:
    THttpProbe() {
        OnHeaderBegin = [this](THttpCli&) { Events.push_back("HeaderBegin"); };
        OnHeaderEnd = [this](THttpCli&) { Events.push_back("HeaderEnd"); };
        OnDocBegin = [this](THttpCli&) { Events.push_back("DocBegin"); };
        OnDocData = [this](THttpCli&, const char* p, int n) {
            if (Events.empty() || Events.back() != "DocData") Events.push_back("DocData");
            Body.append(p, static_cast<size_t>(n));
        };
        OnDocEnd = [this](THttpCli&) { Events.push_back("DocEnd"); };
        OnRequestDone = [this](THttpCli& c, THttpRequest kind, uint16_t error) {
            Events.push_back("RequestDone:" + std::to_string(error));
            ++Done;
            DoneKind = kind;
            DoneError = error;
            StateAtDone = c.State();
        };
        ReceiveStream = &Stream;
    }

    bool WaitDone(int count = 1) {
        return PumpUntil([&] { return Done >= count; });
    }
    // Test access to the response routines without a connection.
    using THttpCli::BeginResponseForTest;
    using THttpCli::DeliverReceived;
    void Feed(const std::string& bytes) {
        size_t at = 0;
        while (at < bytes.size()) {
            int n = DeliverReceived(bytes.data() + at, static_cast<int>(bytes.size() - at));
            if (n <= 0) break;
            at += static_cast<size_t>(n);
        }
    }

    std::vector<std::string> Events;
    std::string Body;
    TMemoryStream Stream;
    int Done = 0;
    THttpRequest DoneKind = THttpRequest::hrNone;
    uint16_t DoneError = 0xFFFF;
    THttpCliState StateAtDone = THttpCliState::hcAborting;
};

} // namespace vorlin::test
