#include "rules/PluginAction.h"

#include "platform/StringUtils.h"
#include "rules/ComStream.h"
#include "rules/PluginStrings.h"

namespace vorlin {

using namespace vorlin_sdk;

namespace {

// Releases a COM stream wrapper when the call is done, also on failure.
struct TComStreamRef {
    explicit TComStreamRef(TStream& stream) : Stream(TComStream::Create(stream)) {}
    ~TComStreamRef() { Stream->Release(); }
    TComStreamRef(const TComStreamRef&) = delete;
    TComStreamRef& operator=(const TComStreamRef&) = delete;
    TComStream* Stream;
};

} // namespace

TPluginAction::TPluginAction(IFilterActionInterface* action) : FAction(action) {
    if (!FAction) throw EPluginActionError("A plugin handed out an empty action");
}

TPluginAction::~TPluginAction() { FAction->Release(); }

void TPluginAction::Check(HRESULT result, const char* operation) const {
    if (Failed(result))
        throw EPluginActionError(Format("Plugin action %s failed (error 0x%08X)", operation,
                                        static_cast<unsigned>(result)));
}

GUID TPluginAction::GetClassGUID() const {
    GUID guid{};
    Check(FAction->GetClassGUID(&guid), "GetClassGUID");
    return guid;
}

TPhaseSet TPluginAction::GetPhases() const {
    int32_t phases = 0;
    Check(FAction->GetPhases(&phases), "GetPhases");
    return static_cast<TPhaseSet>(phases);
}

void TPluginAction::Execute() { Check(FAction->Execute(), "Execute"); }

bool TPluginAction::Edit() {
    // S_FALSE: the plugin's dialog was cancelled.
    HRESULT result = FAction->Edit();
    Check(result, "Edit");
    return result == S_OK;
}

std::string TPluginAction::GetTemplateText() const {
    TBstr text;
    Check(FAction->GetTemplateText(text.Out()), "GetTemplateText");
    return text.Utf8();
}

std::string TPluginAction::GetDescription() const {
    TBstr text;
    Check(FAction->GetDescription(text.Out()), "GetDescription");
    return text.Utf8();
}

int TPluginAction::GetLinkStart() const {
    int32_t start = 0;
    Check(FAction->GetLinkStart(&start), "GetLinkStart");
    return start;
}

int TPluginAction::GetLinkLength() const {
    int32_t length = 0;
    Check(FAction->GetLinkLength(&length), "GetLinkLength");
    return length;
}

void TPluginAction::AssignTo(TFilterElement& dest) const {
    THTTPVorlinAction::AssignTo(dest);
    auto& d = SameClass<TPluginAction>(dest);
    TMemoryStream settings;
    {
        TComStreamRef com(settings);
        Check(FAction->SaveToStream(com.Stream), "SaveToStream");
    }
    settings.SetPosition(0);
    TComStreamRef com(settings);
    d.Check(d.FAction->LoadFromStream(com.Stream), "LoadFromStream");
}

void TPluginAction::SaveToStream(TStream& stream) const {
    THTTPVorlinAction::SaveToStream(stream);
    TComStreamRef com(stream);
    Check(FAction->SaveToStream(com.Stream), "SaveToStream");
}

void TPluginAction::LoadFromStream(TStream& stream) {
    THTTPVorlinAction::LoadFromStream(stream);
    TComStreamRef com(stream);
    Check(FAction->LoadFromStream(com.Stream), "LoadFromStream");
}

} // namespace vorlin
