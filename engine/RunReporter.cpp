#include "engine/RunReporter.h"

#include "engine/RunTexts.h"
#include "links/UrlHelpers.h"
#include "platform/MessageQueue.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LinkStateList.h"

namespace vorlin {

std::string DisplayURL(const std::string& url) {
    try {
        return HTTPDecode(url);
    } catch (const std::exception&) {
        return url;
    }
}

void TRunReporter::Post(uint32_t message, uintptr_t wParam, intptr_t lParam, std::unique_ptr<TPayload> payload) {
    // A run without a window (some tests) tells nobody.
    if (FMainWindow != 0) PostMessage(FMainWindow, message, wParam, lParam, std::move(payload));
}

void TRunReporter::PostLog(const std::string& text) { Post(WM_RUN_LOG, 0, 0, MakePayload(text)); }
void TRunReporter::PostError(const std::string& text) { Post(WM_RUN_ERROR, 0, 0, MakePayload(text)); }
void TRunReporter::ClearLog() { Post(WM_RUN_LOG, 0, 0); }
void TRunReporter::Status(const std::string& text) { Post(WM_RUN_STATUS, 0, 0, MakePayload(text)); }

void TRunReporter::LogAndStatus(const std::string& text) {
    Status(text);
    PostLog(text);
}

void TRunReporter::ClientStatus(int clientNumber, const std::string& text) {
    Post(WM_CLIENT_STATUS, static_cast<uintptr_t>(clientNumber - 1), 0, MakePayload(text));
}

void TRunReporter::ClientURL(int clientNumber, const std::string& url) {
    Post(WM_CLIENT_URL, static_cast<uintptr_t>(clientNumber - 1), 0, MakePayload(DisplayURL(url)));
}

void TRunReporter::ClientSize(int clientNumber, int64_t bytes) {
    Post(WM_CLIENT_SIZE, static_cast<uintptr_t>(clientNumber - 1), static_cast<intptr_t>(bytes));
}

void TRunReporter::ClientProgress(int clientNumber, int percent) {
    Post(WM_CLIENT_PROGRESS, static_cast<uintptr_t>(clientNumber - 1), percent);
}

void TRunReporter::ClientIdle(int clientNumber) {
    ClientStatus(clientNumber, RunText(606));
    Post(WM_CLIENT_URL, static_cast<uintptr_t>(clientNumber - 1), 0, MakePayload(std::string()));
    ClientProgress(clientNumber, 0);
    ClientSize(clientNumber, 0);
}

void TRunReporter::Stats(const TDownloadProject& project) {
    TRunStats stats;
    stats.Downloaded = project.Downloaded->Count();
    stats.FilteredOut = project.FilteredOut->Count();
    stats.All = project.Links->Count();
    stats.Remaining = stats.All - stats.Downloaded - stats.FilteredOut;
    Post(WM_RUN_STATS, 0, 0, MakePayload(stats));
}

void TRunReporter::Bytes(int64_t projectSize) { Post(WM_RUN_BYTES, 0, 0, MakePayload(projectSize)); }

void TRunReporter::State(TRunState state) {
    if (FMainWindow != 0) SendMessage(FMainWindow, WM_RUN_STATE, 0, static_cast<intptr_t>(state));
}

void TRunReporter::Ending() { Post(WM_RUN_ENDING, 0, 0); }

void TRunReporter::ShutdownProgress(int percent, const std::string& text) {
    Post(WM_SHUTDOWN_PROGRESS, static_cast<uintptr_t>(percent), 0, MakePayload(text));
}

void TRunReporter::Finished() { Post(WM_RUN_FINISHED, 0, 0); }

void TRunReporter::SelectLinks(TDownloadProject& project, TDownloadLink& page) {
    Post(WM_SELECT_LINKS, reinterpret_cast<uintptr_t>(&project), reinterpret_cast<intptr_t>(&page));
}

void TRunReporter::AskCredentials(TAuthRec& request) {
    Post(WM_ASK_CREDENTIALS, 0, reinterpret_cast<intptr_t>(&request));
}

bool TRunReporter::SelectStructure(TDownloadProject& project) {
    if (FMainWindow == 0) return false;
    return SendMessage(FMainWindow, WM_SELECT_STRUCTURE, reinterpret_cast<uintptr_t>(&project)) != 0;
}

} // namespace vorlin
