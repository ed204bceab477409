#include "rules/ComStream.h"

#include <exception>

namespace vorlin {

using namespace vorlin_sdk;

HRESULT TComStream::QueryInterface(const GUID& iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IStream) {
        *object = static_cast<vorlin_sdk::IStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

uint32_t TComStream::AddRef() { return ++FRefCount; }

uint32_t TComStream::Release() {
    uint32_t n = --FRefCount;
    if (n == 0) delete this;
    return n;
}

// Stream errors must not cross into plugin code: each method answers E_FAIL.
HRESULT TComStream::Read(void* buffer, uint32_t count, uint32_t* read) {
    try {
        if (!buffer && count) return E_POINTER;
        int64_t n = FStream.Read(buffer, count);
        if (read) *read = static_cast<uint32_t>(n);
        return n == count ? S_OK : S_FALSE;
    } catch (const std::exception&) {
        return E_FAIL;
    }
}

HRESULT TComStream::Write(const void* buffer, uint32_t count, uint32_t* written) {
    try {
        if (!buffer && count) return E_POINTER;
        int64_t n = FStream.Write(buffer, count);
        if (written) *written = static_cast<uint32_t>(n);
        return n == count ? S_OK : E_FAIL;
    } catch (const std::exception&) {
        return E_FAIL;
    }
}

HRESULT TComStream::Seek(int64_t move, uint32_t origin, uint64_t* newPosition) {
    try {
        TSeekOrigin o;
        switch (origin) {
        case STREAM_SEEK_SET: o = TSeekOrigin::soBeginning; break;
        case STREAM_SEEK_CUR: o = TSeekOrigin::soCurrent; break;
        case STREAM_SEEK_END: o = TSeekOrigin::soEnd; break;
        default: return E_INVALIDARG;
        }
        int64_t p = FStream.Seek(move, o);
        if (newPosition) *newPosition = static_cast<uint64_t>(p);
        return S_OK;
    } catch (const std::exception&) {
        return E_FAIL;
    }
}

HRESULT TComStream::SetSize(uint64_t newSize) {
    try {
        if (newSize > static_cast<uint64_t>(INT64_MAX)) return E_INVALIDARG;
        FStream.SetSize(static_cast<int64_t>(newSize));
        return S_OK;
    } catch (const std::exception&) {
        return E_FAIL;
    }
}

HRESULT TComStream::CopyTo(vorlin_sdk::IStream*, uint64_t, uint64_t*, uint64_t*) { return E_NOTIMPL; }
HRESULT TComStream::Commit(uint32_t) { return S_OK; }
HRESULT TComStream::Revert() { return E_NOTIMPL; }
HRESULT TComStream::LockRegion(uint64_t, uint64_t, uint32_t) { return E_NOTIMPL; }
HRESULT TComStream::UnlockRegion(uint64_t, uint64_t, uint32_t) { return E_NOTIMPL; }

HRESULT TComStream::Stat(STATSTG_SIZE* stat, uint32_t) {
    if (!stat) return E_POINTER;
    try {
        stat->Size = static_cast<uint64_t>(FStream.Size());
        return S_OK;
    } catch (const std::exception&) {
        return E_FAIL;
    }
}

HRESULT TComStream::Clone(vorlin_sdk::IStream** copy) {
    if (copy) *copy = nullptr;
    return E_NOTIMPL;
}

} // namespace vorlin
