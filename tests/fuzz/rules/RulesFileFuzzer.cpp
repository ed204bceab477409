// A rules file: loading either succeeds or raises, and what loaded is
// written back to the same bytes it was read from.
#include "platform/Exception.h"
#include "platform/Stream.h"
#include "rules/HTTPVorlinRules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vorlin::TMemoryStream input;
    input.Write(data, static_cast<int64_t>(size));
    input.SetPosition(0);
    vorlin::THTTPVorlinRules rules;
    try {
        rules.LoadFromStream(input);
    } catch (const vorlin::Exception&) {
        return 0;
    }
    // Booleans are normalised on writing; a second round must be exact.
    vorlin::TMemoryStream first, second;
    rules.SaveToStream(first);
    first.SetPosition(0);
    vorlin::THTTPVorlinRules again;
    again.LoadFromStream(first);
    again.SaveToStream(second);
    if (first.ToString() != second.ToString()) std::abort();
    return 0;
}
