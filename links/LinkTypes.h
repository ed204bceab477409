// The enumerations stored per link (one byte each in the link data file).
#pragma once

#include <cstdint>

namespace vorlin {

// Scheme class of a reference.
enum TLinkKind : uint8_t {
    lkHttp = 0,
    lkFtp = 1,
    lkMailto = 2,
    lkOtherScheme = 3,
    lkRelative = 4,
    lkAnchor = 5,
    lkJavaScript = 6,
};

// Where on its page a link was found.
enum TLinkType : uint8_t {
    ltSource = 0,
    ltPage = 1,
    ltBackground = 2,
    ltNone = 3,
    ltScriptLink = 4,
    ltScriptFile = 5,
    ltAppletCode = 6,
    ltAppletArchive = 7,
};

enum TLinkState : uint8_t {
    lsPending = 0,
    lsDownloaded = 1,
    lsFilteredOut = 2,
};

} // namespace vorlin
