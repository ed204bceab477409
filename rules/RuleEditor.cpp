#include "rules/RuleEditor.h"

#include <atomic>

namespace vorlin {

namespace {
std::atomic<IRuleEditor*> InstalledEditor{nullptr};
}

void SetRuleEditor(IRuleEditor* editor) { InstalledEditor = editor; }
IRuleEditor* RuleEditor() { return InstalledEditor; }

} // namespace vorlin
