#include "rules/ApplicationInterface.h"

#include "links/UrlHelpers.h"
#include "rules/AdapterFields.h"

namespace vorlin {

using namespace vorlin_sdk;

namespace {

// Converts the plugin's strings, runs the program's function and hands the
// result back as a new string; any exception becomes a failure result.
template <typename F> HRESULT StringCall(BSTR* result, F&& compute) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return GuardedCall([&] {
        std::string text = compute();
        if (Failed(GetField(result, text))) throw std::bad_alloc();
    });
}

} // namespace

HRESULT TApplicationInterface::QueryInterface(const GUID& iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IUnknown*>(this);
    return S_OK;
}

HRESULT TApplicationInterface::ResolveURL(BSTR base, BSTR reference, BSTR* result) {
    return StringCall(result, [&] {
        return vorlin::ResolveURL(VorlinStringToUtf8(base), VorlinStringToUtf8(reference));
    });
}

HRESULT TApplicationInterface::GetAttributeValue(BSTR tagText, BSTR name, int32_t* position, BSTR* value) {
    if (position) *position = 0;
    if (value) *value = nullptr;
    // FIXME: answers once the HTML parser's attribute reader is in links/.
    (void)tagText;
    (void)name;
    return E_NOTIMPL;
}

HRESULT TApplicationInterface::EncodeURL(BSTR text, BSTR* result) {
    return StringCall(result, [&] { return vorlin::EncodeURL(VorlinStringToUtf8(text)); });
}

HRESULT TApplicationInterface::HTTPDecode(BSTR text, BSTR* result) {
    return StringCall(result, [&] { return vorlin::HTTPDecode(VorlinStringToUtf8(text)); });
}

// Reserved by the interface; accepted and ignored.
HRESULT TApplicationInterface::Reserved7(IUnknown*, IDownLoadLink*, IDownLoadLink*, int32_t, int32_t, int32_t) {
    return S_OK;
}

HRESULT TApplicationInterface::Terminate() {
    return GuardedCall([&] {
        FTerminateRequested = true;
        if (OnTerminate) OnTerminate();
    });
}

HRESULT TApplicationInterface::RegisterActionProvider(IFilterActionPluginInterface* provider) {
    if (!provider) return E_POINTER;
    return GuardedCall([&] {
        FProviders.reserve(FProviders.size() + 1);
        provider->AddRef();
        FProviders.push_back(provider);
    });
}

void TApplicationInterface::ClearActionProviders() {
    std::vector<IFilterActionPluginInterface*> providers;
    providers.swap(FProviders);
    for (IFilterActionPluginInterface* p : providers) p->Release();
}

} // namespace vorlin
