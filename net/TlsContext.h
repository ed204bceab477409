// The TLS settings of a connection and the OpenSSL context made for each
// combination of them, shared by every connection of the process: TLS 1.2
// and 1.3, the system's trust store plus an optional file of further
// authorities, and a cache of sessions per server, so that the next
// connection to a server resumes its session instead of a full handshake.
#pragma once

#include "platform/Exception.h"

#include <memory>
#include <string>

struct ssl_ctx_st;
struct ssl_session_st;

namespace vorlin {

struct TTlsOptions {
    // Refuse servers whose certificate does not verify (expired, unknown
    // issuer, another host). Off for archiving sites whose certificates lapsed.
    bool CheckCertificates = true;
    // A PEM file of authorities trusted beside the system's; empty: none.
    std::string CaFile;

    bool operator==(const TTlsOptions&) const = default;
};

// A context that cannot be made (the authorities file unreadable).
class ETlsError : public Exception {
public:
    using Exception::Exception;
};

class TTlsContext {
public:
    // The context for these options, made on first use; throws ETlsError.
    static std::shared_ptr<TTlsContext> For(const TTlsOptions& options);
    ~TTlsContext();
    TTlsContext(const TTlsContext&) = delete;
    TTlsContext& operator=(const TTlsContext&) = delete;

    ssl_ctx_st* Handle() const { return FContext; }
    const TTlsOptions& Options() const { return FOptions; }

    // The session cache, keyed by host and port; safe from every thread.
    // Remember takes over one reference; Recall answers a new one, or null.
    void RememberSession(const std::string& key, ssl_session_st* session);
    ssl_session_st* RecallSession(const std::string& key);
    void ForgetSession(const std::string& key);

private:
    explicit TTlsContext(const TTlsOptions& options);
    struct TSessions;

    TTlsOptions FOptions;
    ssl_ctx_st* FContext = nullptr;
    std::unique_ptr<TSessions> FSessions;
};

// OpenSSL's text for the last error of the calling thread ("unknown" when
// none), and the error queue cleared.
std::string TakeTlsErrorText();

} // namespace vorlin
