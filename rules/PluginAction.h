// An action that a plugin adds to every rule: each operation is forwarded to
// the plugin's action object, and a failure result it answers becomes an
// exception here. The host stores the Active byte; the plugin stores the
// rest through a COM stream over the rules stream.
#pragma once

#include "platform/Exception.h"
#include "plugins/sdk/VorlinPlugin.h"
#include "rules/HTTPVorlinAction.h"

namespace vorlin {

// A failure result of a plugin call.
class EPluginActionError : public Exception {
public:
    using Exception::Exception;
};

class TPluginAction : public THTTPVorlinAction {
public:
    // Takes over the one reference that action carries (as GetAction hands it out).
    explicit TPluginAction(vorlin_sdk::IFilterActionInterface* action);
    ~TPluginAction() override;

    vorlin_sdk::GUID GetClassGUID() const override;
    TPhaseSet GetPhases() const override;
    void Execute() override;
    bool Edit() override;

    std::string GetTemplateText() const override;
    std::string GetDescription() const override;
    int GetLinkStart() const override;
    int GetLinkLength() const override;

    // Copies the plugin's settings through a stream: the plugin has no
    // other way to hand them over.
    void AssignTo(TFilterElement& dest) const override;
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

private:
    void Check(vorlin_sdk::HRESULT result, const char* operation) const;

    vorlin_sdk::IFilterActionInterface* FAction;
};

} // namespace vorlin
