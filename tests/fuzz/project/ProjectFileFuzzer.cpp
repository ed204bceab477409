// Any bytes as a project file: the reader keeps what it could read or throws
// a vorlin::Exception (a password that is not Base64); nothing else.
#include "platform/Exception.h"
#include "platform/Stream.h"
#include "project/DownloadProject.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vorlin::TMemoryStream in;
    in.WriteBuffer(data, static_cast<int64_t>(size));
    in.SetPosition(0);
    vorlin::TDownloadProject project;
    try {
        project.LoadFromStream(in);
        project.Assign(project);
    } catch (const vorlin::Exception&) {
    }
    return 0;
}
