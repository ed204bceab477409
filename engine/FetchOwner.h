// The fetch component's back reference to its download run: where its log
// and error lines go (the run posts them to the main window).
#pragma once

#include <string>

namespace vorlin {

class IFetchOwner {
public:
    virtual ~IFetchOwner() = default;
    virtual void PostLog(const std::string& text) = 0;
    virtual void PostError(const std::string& text) = 0;
};

} // namespace vorlin
