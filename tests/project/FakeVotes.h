// Stand-ins for the rule engine and the plugin system: fixed answers, and a
// record of every question asked.
#pragma once

#include "project/LinkVotes.h"

#include <string>
#include <vector>

namespace vorlin {

class TFakeVotes : public ILinkPluginVotes {
public:
    bool Force = false, Outside = true, BeforeRequest = true, AfterHeader = true, Take = false;
    std::vector<std::string> Asked;

    bool ForceLink(TDownloadProject&, TDownloadLink&) override { return Note("force", Force); }
    bool ConfirmOutside(TDownloadProject&, TDownloadLink&) override {
        return Note("outside", Outside);
    }
    bool FilterBeforeRequest(TDownloadProject&, TDownloadLink&) override {
        return Note("before", BeforeRequest);
    }
    bool FilterAfterHeader(TDownloadProject&, TDownloadLink&) override {
        return Note("after", AfterHeader);
    }
    bool TakeLink(TDownloadProject&, TDownloadLink&) override { return Note("take", Take); }

private:
    bool Note(const char* what, bool answer) {
        Asked.push_back(what);
        return answer;
    }
};

} // namespace vorlin
