// Errors in this program are exceptions carrying a message; every subsystem
// derives its own classes from Exception (ELoadLinksException, EHttpException,
// ESocketException, ...). Handlers at event boundaries catch Exception (and
// std::exception) and report the message with the handler's name.
#pragma once

#include <cerrno>
#include <exception>
#include <string>
#include <utility>

namespace vorlin {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const noexcept { return FMessage; }
    void SetMessage(std::string message) { FMessage = std::move(message); }

private:
    std::string FMessage;
};

// A text that should have been a number (a header value, an option).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A stream or file that could not be read, written or opened.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// A file operation the system refused. Error is the errno value, so that a
// caller can tell a full disk from other failures; the message names the
// file and the system's reason.
class EFileError : public EStreamError {
public:
    EFileError(std::string message, int error) : EStreamError(std::move(message)), Error(error) {}
    // No room left on the file system (or in the user's quota).
    bool DiskFull() const { return Error == ENOSPC || Error == EDQUOT; }
    int Error;
};

// The message of any exception, for handlers that catch std::exception.
inline std::string MessageOf(const std::exception& e) { return e.what(); }

} // namespace vorlin
