// Any bytes as the records of a link data file: compressed first, so that
// the record reader, the URL tree and the reference restoring see them.
#include "platform/Stream.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<Bytef> packed(compressBound(size));
    uLongf packedSize = packed.size();
    if (compress2(packed.data(), &packedSize, data, size, 1) != Z_OK) return 0;
    vorlin::TMemoryStream in;
    in.WriteBuffer(packed.data(), static_cast<int64_t>(packedSize));
    in.SetPosition(0);
    vorlin::TDownloadProject project;
    try {
        project.Links->LoadFromStream(in);
    } catch (const vorlin::ELoadLinksException&) {
    }
    // Whatever was read must be a consistent list.
    int index = 0;
    for (vorlin::TDownloadLink* link : *project.Links)
        if (project.Links->IndexOf(link) != index++) __builtin_trap();
    return 0;
}
