// What the patcher shows while it works: the progress window of the
// program, or nothing in tests. Qt-free, so the sequence and the installer
// run without a window.
#pragma once

#include <string>

namespace vorlin::updater {

class IPatcherView {
public:
    virtual ~IPatcherView() = default;
    virtual void SetPhaseText(const std::string& text) = 0;
    virtual void SetFileText(const std::string& text) = 0;
    virtual void SetFileProgress(int percent) = 0;
    virtual void SetPhaseProgress(int percent) = 0;
    // Serves the window's own messages; false once the window was closed.
    virtual bool ProcessMessages() = 0;
};

// A view that shows nothing (tests, the makers' tool).
class TSilentPatcherView : public IPatcherView {
public:
    void SetPhaseText(const std::string& text) override { PhaseText = text; }
    void SetFileText(const std::string& text) override { FileText = text; }
    void SetFileProgress(int percent) override { FileProgress = percent; }
    void SetPhaseProgress(int percent) override { PhaseProgress = percent; }
    bool ProcessMessages() override { return true; }
    std::string PhaseText, FileText;
    int FileProgress = 0, PhaseProgress = 0;
};

} // namespace vorlin::updater
