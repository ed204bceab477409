// TTlsLayer: TLS as a byte transformer between the socket and the HTTP
// client. Ciphertext that arrives is fed in; the ciphertext to send is taken
// out after every step; plaintext is read and written. Both sides are memory
// buffers, so the socket's own readiness events drive everything on the
// owning thread and OpenSSL never blocks nor touches the socket.
//
// Data already decrypted inside OpenSSL is invisible to the socket's
// readiness: the reader must go on reading while HasPending() says so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct ssl_st;
struct bio_st;

namespace vorlin {

class TTlsContext;

class TTlsLayer {
public:
    enum class TStep : uint8_t { tsDone, tsWantMore, tsFailed };

    // host: the server's name (sent as its name and checked against the
    // certificate; an address literal is checked as an address);
    // sessionKey: the server's host and port, for resuming its session.
    TTlsLayer(std::shared_ptr<TTlsContext> context, const std::string& host, const std::string& sessionKey);
    ~TTlsLayer();
    TTlsLayer(const TTlsLayer&) = delete;
    TTlsLayer& operator=(const TTlsLayer&) = delete;

    // Ciphertext that arrived from the peer.
    void Feed(const char* data, size_t len);
    // Appends the ciphertext waiting to be sent to out; false when none.
    bool TakeOutput(std::string& out);

    // One step of the handshake; call again after more ciphertext arrived.
    TStep Handshake();
    // Plaintext: the count read (> 0); 0 when the peer ended the stream with
    // close_notify; -1 when nothing can be read now, or after a failure
    // (Failed() tells).
    int Read(char* buffer, int len);
    // Decrypted bytes, or whole records, wait inside OpenSSL.
    bool HasPending() const;
    // Plaintext to send; its ciphertext waits in TakeOutput. False on a failure.
    bool Write(const char* data, size_t len);
    // Sends close_notify (once, after the handshake).
    void Shutdown();

    bool Failed() const { return FFailureCode != 0; }
    bool CloseNotifyReceived() const { return FCloseNotify; }
    bool HandshakeDone() const { return FHandshakeDone; }
    bool Resumed() const;
    // "TLSv1.3", empty before the handshake.
    std::string Version() const;
    // One of the codes of TransportErrors.h, and a text that names the host
    // and the reason ("the certificate of www.example.org has expired").
    int FailureCode() const { return FFailureCode; }
    const std::string& FailureText() const { return FFailureText; }

private:
    void Fail(int code, const std::string& text);
    void HandshakeFailed();

    std::shared_ptr<TTlsContext> FContext;
    std::string FHost;
    std::string FSessionKey;  // its address is OpenSSL's app data: the session cache reads it
    ssl_st* FSsl = nullptr;
    bio_st* FIn = nullptr;   // owned by FSsl
    bio_st* FOut = nullptr;  // owned by FSsl
    bool FHandshakeDone = false;
    bool FCloseNotify = false;
    bool FShutdownSent = false;
    int FFailureCode = 0;
    std::string FFailureText;
};

// True for "127.0.0.1", "::1" and "[::1]".
bool IsAddressLiteral(const std::string& host);

} // namespace vorlin
