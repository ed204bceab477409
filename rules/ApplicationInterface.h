// The application object handed to every plugin's InitPlugin: URL helpers
// and the attribute reader of the HTML parser, a way to ask the program to
// end, and the registration of rule-action providers (kept in the rule
// engine's registry, which every new rule reads). One object per plugin
// system, reference counted like every object handed to a plugin.
#pragma once

#include "plugins/sdk/VorlinPluginHelpers.h"

#include <functional>

namespace vorlin {

class TApplicationInterface final : public vorlin_sdk::TRefCounted<vorlin_sdk::IApplicationInterface> {
public:
    // The new object holds one reference; release it when done.
    static TApplicationInterface* Create() { return new TApplicationInterface(); }

    vorlin_sdk::HRESULT ResolveURL(vorlin_sdk::BSTR base, vorlin_sdk::BSTR reference,
                                   vorlin_sdk::BSTR* result) override;
    vorlin_sdk::HRESULT GetAttributeValue(vorlin_sdk::BSTR tagText, vorlin_sdk::BSTR name,
                                          int32_t* position, vorlin_sdk::BSTR* value) override;
    vorlin_sdk::HRESULT EncodeURL(vorlin_sdk::BSTR text, vorlin_sdk::BSTR* result) override;
    vorlin_sdk::HRESULT HTTPDecode(vorlin_sdk::BSTR text, vorlin_sdk::BSTR* result) override;
    vorlin_sdk::HRESULT Reserved7(vorlin_sdk::IUnknown* object, vorlin_sdk::IDownLoadLink* link1,
                                  vorlin_sdk::IDownLoadLink* link2, int32_t a, int32_t b,
                                  int32_t c) override;
    vorlin_sdk::HRESULT Terminate() override;
    vorlin_sdk::HRESULT RegisterActionProvider(vorlin_sdk::IFilterActionPluginInterface* provider) override;

    // What Terminate does (the front end's way to end the program).
    std::function<void()> OnTerminate;
    bool TerminateRequested() const { return FTerminateRequested; }

    // Takes every registered provider out of the rule engine (releasing them).
    void ClearActionProviders();

private:
    TApplicationInterface() = default;

    bool FTerminateRequested = false;
};

} // namespace vorlin
