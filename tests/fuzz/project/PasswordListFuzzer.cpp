// Any bytes as "passwords.lst": entries or EPassWordListError, no crash, and
// no allocation beyond what the data holds.
#include "platform/Stream.h"
#include "project/PasswordList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vorlin::TMemoryStream in;
    in.WriteBuffer(data, static_cast<int64_t>(size));
    in.SetPosition(0);
    vorlin::TPassWordList list;
    try {
        list.LoadFromStream(in);
    } catch (const vorlin::EPassWordListError&) {
    }
    return 0;
}
