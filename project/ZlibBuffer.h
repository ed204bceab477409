// Whole buffers to and from the zlib format (RFC 1950), for the link data
// file: written at the best level (9) by libdeflate, whose level 9 packs as
// tight as zlib's and takes well under half its time on link data.
#pragma once

#include <string>
#include <string_view>

namespace vorlin {

// The zlib stream of data at the best compression level. Throws EStreamError
// when memory runs out.
std::string ZlibCompressBest(std::string_view data);

} // namespace vorlin
