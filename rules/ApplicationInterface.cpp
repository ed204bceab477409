#include "rules/ApplicationInterface.h"

#include "links/HTMLAttributes.h"
#include "links/UrlHelpers.h"
#include "rules/AdapterFields.h"
#include "rules/FilterRegistry.h"
#include "rules/HandedTag.h"
#include "rules/PluginStrings.h"

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

HRESULT TApplicationInterface::ResolveURL(BSTR base, BSTR reference, BSTR* result) {
    return StringCall(result, [&] {
        return vorlin::ResolveURL(VorlinStringToUtf8(base), VorlinStringToUtf8(reference));
    });
}

// The position handed back counts UTF-16 units of the tag text from 1 (0:
// the attribute is absent), so that it is an index into the plugin's string.
HRESULT TApplicationInterface::GetAttributeValue(BSTR tagText, BSTR name, int32_t* position, BSTR* value) {
    if (!position || !value) return E_POINTER;
    *position = 0;
    return StringCall(value, [&] {
        // The tag the hooks are handing over, in ASCII (nearly every tag):
        // read in the parser's own text, where bytes count as UTF-16 units.
        if (std::optional<std::string_view> own = THandedTagScope::TextOf(tagText); own && IsAscii(*own)) {
            TAttributeValue found = vorlin::GetAttributeValue(*own, VorlinStringToUtf8(name));
            if (found.Present) *position = static_cast<int32_t>(found.Position) + 1;
            return found.Value;
        }
        std::string tag = VorlinStringToUtf8(tagText);
        TAttributeValue found = vorlin::GetAttributeValue(tag, VorlinStringToUtf8(name));
        if (found.Present)
            *position = static_cast<int32_t>(VorlinUtf8ToUtf16(std::string_view(tag).substr(0, found.Position)).size()) + 1;
        return found.Value;
    });
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
    return GuardedCall([&] { RegisterFilterActionPlugin(provider); });
}

void TApplicationInterface::ClearActionProviders() { ClearFilterActionPlugins(); }

} // namespace vorlin
