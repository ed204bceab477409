#include "project/ZlibBuffer.h"

#include "platform/Exception.h"

#include <libdeflate.h>

#include <memory>

namespace vorlin {

namespace {

constexpr int kBestLevel = 9;

struct TCompressorFree {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

} // namespace

std::string ZlibCompressBest(std::string_view data) {
    std::unique_ptr<libdeflate_compressor, TCompressorFree> compressor(libdeflate_alloc_compressor(kBestLevel));
    if (!compressor) throw EStreamError("zlib: cannot start compressing (out of memory)");
    std::string out;
    out.resize(libdeflate_zlib_compress_bound(compressor.get(), data.size()));
    size_t n = libdeflate_zlib_compress(compressor.get(), data.data(), data.size(), out.data(), out.size());
    // The bound is what the library promises to need at most.
    if (n == 0) throw EStreamError("zlib: compression failed");
    out.resize(n);
    return out;
}

} // namespace vorlin
