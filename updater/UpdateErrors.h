// The errors of applying an update. Each carries the message the patcher
// shows (and the main program logs); the kinds let callers and tests tell a
// refused package from a broken installation.
#pragma once

#include "platform/Exception.h"

namespace vorlin::updater {

// Base of every update failure.
class EUpdateError : public Exception {
public:
    using Exception::Exception;
};

// A block whose CRC does not match, or a block type other than 0 and 1:
// the message is the patcher's own "CRC Error".
class ECrcError : public EUpdateError {
public:
    ECrcError() : EUpdateError("CRC Error") {}
};

// A package or patch that is not one: truncated, a damaged zlib stream, a
// size beyond the patcher's buffers, a copy entry outside them.
class EDamagedPackage : public EUpdateError {
public:
    explicit EDamagedPackage(const std::string& why) : EUpdateError("The update package is damaged: " + why) {}
};

// A file without a valid signature of the makers' key.
class ESignatureError : public EUpdateError {
public:
    using EUpdateError::EUpdateError;
};

// A package entry that names a file outside the program folder.
class EUnsafePath : public EUpdateError {
public:
    using EUpdateError::EUpdateError;
};

} // namespace vorlin::updater
