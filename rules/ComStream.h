// A plugin-facing stream (the COM stream layout of the SDK) over one of the
// program's streams, which it does not own. Created for one plugin call;
// reference counted like every object handed to a plugin.
#pragma once

#include "plugins/sdk/VorlinPlugin.h"
#include "platform/Stream.h"

#include <atomic>

namespace vorlin {

class TComStream final : public vorlin_sdk::IStream {
public:
    // The new object holds one reference; release it when done.
    static TComStream* Create(TStream& stream) { return new TComStream(stream); }

    vorlin_sdk::HRESULT QueryInterface(const vorlin_sdk::GUID& iid, void** object) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    vorlin_sdk::HRESULT Read(void* buffer, uint32_t count, uint32_t* read) override;
    vorlin_sdk::HRESULT Write(const void* buffer, uint32_t count, uint32_t* written) override;
    vorlin_sdk::HRESULT Seek(int64_t move, uint32_t origin, uint64_t* newPosition) override;
    vorlin_sdk::HRESULT SetSize(uint64_t newSize) override;
    vorlin_sdk::HRESULT CopyTo(vorlin_sdk::IStream* target, uint64_t count, uint64_t* read,
                               uint64_t* written) override;
    vorlin_sdk::HRESULT Commit(uint32_t flags) override;
    vorlin_sdk::HRESULT Revert() override;
    vorlin_sdk::HRESULT LockRegion(uint64_t offset, uint64_t count, uint32_t type) override;
    vorlin_sdk::HRESULT UnlockRegion(uint64_t offset, uint64_t count, uint32_t type) override;
    vorlin_sdk::HRESULT Stat(vorlin_sdk::STATSTG_SIZE* stat, uint32_t flags) override;
    vorlin_sdk::HRESULT Clone(vorlin_sdk::IStream** copy) override;

private:
    explicit TComStream(TStream& stream) : FStream(stream) {}
    TStream& FStream;
    std::atomic<uint32_t> FRefCount{1};
};

} // namespace vorlin
