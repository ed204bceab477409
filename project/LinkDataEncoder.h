// The content of the link data file before compression: the tagged values of
// the version and of every link in list order. Made on the thread that owns
// the list (a link's forced state asks the plugins), so that compressing and
// writing can go on elsewhere while the list keeps changing.
#pragma once

#include "project/DownloadLinks.h"

#include <string>
#include <string_view>

namespace vorlin {

class TStream;

// Writes the tagged value stream of the list to out; progress as SaveToFile
// reports it.
void EncodeLinkData(const TDownloadLinks& links, double version, TStream& out,
                    const TLinkSaveProgress& progress = {}, void* sender = nullptr);
// The same into memory: a snapshot of the list.
std::string EncodeLinkData(const TDownloadLinks& links, double version,
                           const TLinkSaveProgress& progress = {}, void* sender = nullptr);

// Compresses an encoded list and writes it to hostPath, replacing an old
// file only once the new one is complete. Errors propagate.
void WriteLinkDataFile(const std::string& hostPath, std::string_view encoded);

} // namespace vorlin
