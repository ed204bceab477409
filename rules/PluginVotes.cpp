#include "rules/PluginVotes.h"

#include "rules/DownloadLinkAdapter.h"
#include "rules/DownloadProjectAdapter.h"
#include "rules/PluginSystem.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace vorlin {

using namespace vorlin_sdk;

namespace {

enum class TVoteKind { vkForce, vkOutside, vkBeforeRequest, vkAfterHeader, vkTakeLink };

// A plugin may read the link's forced or outside state (slots 5 and 38)
// while it votes on exactly that, which asks the plugins again. The inner
// question of the same vote on the same link gets the answer of no plugins
// instead of recursing without end.
class TVoteGuard {
public:
    TVoteGuard(TVoteKind kind, const TDownloadLink& link) : FKey(kind, &link) {
        FNested = std::find(Active().begin(), Active().end(), FKey) != Active().end();
        if (!FNested) Active().push_back(FKey);
    }
    ~TVoteGuard() {
        if (!FNested) Active().erase(std::find(Active().begin(), Active().end(), FKey));
    }
    TVoteGuard(const TVoteGuard&) = delete;
    TVoteGuard& operator=(const TVoteGuard&) = delete;
    bool Nested() const { return FNested; }

private:
    using TKey = std::pair<TVoteKind, const TDownloadLink*>;
    static std::vector<TKey>& Active() {
        static thread_local std::vector<TKey> active;
        return active;
    }
    TKey FKey;
    bool FNested;
};

template <typename T>
using TVoteMethod = HRESULT (T::*)(IDownLoadProject*, IDownLoadLink*, VBOOL*);

// Asks the plugins in load order until one answers stopAt; without such an
// answer (or without plugins) the vote is !stopAt. An OR vote stops at true,
// an AND vote at false.
template <typename T>
bool Ask(TVoteKind kind, const std::vector<TPluginCapability<T>>& plugins, bool enabledOnly, bool stopAt,
         TVoteMethod<T> method, const char* methodName, TDownloadProject& project, TDownloadLink& link) {
    TVoteGuard guard(kind, link);
    if (guard.Nested()) return !stopAt;
    for (const auto& p : plugins) {
        if (enabledOnly && !TPluginSystem::IsEnabled(p)) continue;
        TComRef<IDownLoadProject> projectObject(CreateDownloadProjectAdapter(project));
        TComRef<IDownLoadLink> linkObject(CreateDownloadLinkAdapter(link));
        // A plugin that leaves the answer unset gives the neutral one.
        VBOOL answer = stopAt ? 0 : 1;
        CheckPluginResult((p.Interface->*method)(projectObject.Get(), linkObject.Get(), &answer), p.Owner->Name,
                          methodName);
        if ((answer != 0) == stopAt) return stopAt;
    }
    return !stopAt;
}

} // namespace

bool TPluginVotes::ForceLink(TDownloadProject& project, TDownloadLink& link) {
    return Ask(TVoteKind::vkForce, FPlugins.FilterPlugins(), false, true, &IFilterPluginInterface::ForceLink,
               "ForceLink", project, link);
}

bool TPluginVotes::ConfirmOutside(TDownloadProject& project, TDownloadLink& link) {
    return Ask(TVoteKind::vkOutside, FPlugins.FilterPlugins(), false, false,
               &IFilterPluginInterface::ConfirmOutside, "ConfirmOutside", project, link);
}

bool TPluginVotes::FilterBeforeRequest(TDownloadProject& project, TDownloadLink& link) {
    return Ask(TVoteKind::vkBeforeRequest, FPlugins.FilterPlugins(), true, false,
               &IFilterPluginInterface::FilterBeforeRequest, "FilterBeforeRequest", project, link);
}

bool TPluginVotes::FilterAfterHeader(TDownloadProject& project, TDownloadLink& link) {
    return Ask(TVoteKind::vkAfterHeader, FPlugins.FilterPlugins(), true, false,
               &IFilterPluginInterface::FilterAfterHeader, "FilterAfterHeader", project, link);
}

bool TPluginVotes::TakeLink(TDownloadProject& project, TDownloadLink& link) {
    return Ask(TVoteKind::vkTakeLink, FPlugins.DownloadPlugins(), true, true,
               &IDownloadPluginInterface::TakeLink, "TakeLink", project, link);
}

} // namespace vorlin
