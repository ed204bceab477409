#include "project/LinkVotes.h"

namespace vorlin {

ILinkPluginVotes& NoPluginVotes() {
    static TNoPluginVotes votes;
    return votes;
}

} // namespace vorlin
