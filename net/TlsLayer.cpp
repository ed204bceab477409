#include "net/TlsLayer.h"

#include "net/TlsContext.h"
#include "net/TransportErrors.h"

#include <climits>

#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace vorlin {

namespace {

std::string Unbracketed(const std::string& host) {
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') return host.substr(1, host.size() - 2);
    return host;
}

} // namespace

bool IsAddressLiteral(const std::string& hostIn) {
    const std::string host = Unbracketed(hostIn);
    unsigned char buffer[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

TTlsLayer::TTlsLayer(std::shared_ptr<TTlsContext> context, const std::string& host, const std::string& sessionKey)
    : FContext(std::move(context)), FHost(Unbracketed(host)), FSessionKey(sessionKey) {
    ERR_clear_error();
    FSsl = SSL_new(FContext->Handle());
    FIn = BIO_new(BIO_s_mem());
    FOut = BIO_new(BIO_s_mem());
    if (!FSsl || !FIn || !FOut) {
        if (FSsl) SSL_free(FSsl);
        if (FIn) BIO_free(FIn);
        if (FOut) BIO_free(FOut);
        FSsl = nullptr;
        FIn = FOut = nullptr;
        Fail(ERROR_INTERNET_SECURITY_CHANNEL_ERROR, "TLS: can't begin a session with " + FHost);
        return;
    }
    // An empty buffer means "more to come", never the end of the stream:
    // the end is what the socket reports.
    BIO_set_mem_eof_return(FIn, -1);
    BIO_set_mem_eof_return(FOut, -1);
    SSL_set_bio(FSsl, FIn, FOut);
    SSL_set_connect_state(FSsl);
    SSL_set_app_data(FSsl, &FSessionKey);
    if (IsAddressLiteral(FHost)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(FSsl), FHost.c_str());
    } else {
        SSL_set_tlsext_host_name(FSsl, FHost.c_str());
        SSL_set_hostflags(FSsl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        SSL_set1_host(FSsl, FHost.c_str());
    }
    if (SSL_SESSION* session = FContext->RecallSession(FSessionKey)) {
        SSL_set_session(FSsl, session);
        SSL_SESSION_free(session);
    }
    ERR_clear_error();
}

TTlsLayer::~TTlsLayer() {
    if (!FSsl) return;
    // A session that ended cleanly stays resumable: OpenSSL spoils a
    // session whose connection it thinks was not shut down. One cut short
    // is spoilt, rightly.
    if (FCloseNotify || FShutdownSent) SSL_set_shutdown(FSsl, SSL_SENT_SHUTDOWN | SSL_RECEIVED_SHUTDOWN);
    SSL_free(FSsl);
}

void TTlsLayer::Fail(int code, const std::string& text) {
    if (FFailureCode != 0) return;
    FFailureCode = code;
    FFailureText = text;
}

void TTlsLayer::Feed(const char* data, size_t len) {
    if (!FIn) return;
    while (len > 0) {
        int chunk = len > INT_MAX ? INT_MAX : static_cast<int>(len);
        int n = BIO_write(FIn, data, chunk);
        if (n <= 0) {
            Fail(ERROR_INTERNET_SECURITY_CHANNEL_ERROR, "TLS: out of memory for the data of " + FHost);
            return;
        }
        data += n;
        len -= static_cast<size_t>(n);
    }
}

bool TTlsLayer::TakeOutput(std::string& out) {
    if (!FOut) return false;
    size_t pending = BIO_ctrl_pending(FOut);
    if (pending == 0) return false;
    size_t old = out.size();
    out.resize(old + pending);
    int n = BIO_read(FOut, out.data() + old, static_cast<int>(pending));
    out.resize(old + static_cast<size_t>(n > 0 ? n : 0));
    return n > 0;
}

TTlsLayer::TStep TTlsLayer::Handshake() {
    if (Failed()) return TStep::tsFailed;
    if (FHandshakeDone) return TStep::tsDone;
    ERR_clear_error();
    int rc = SSL_do_handshake(FSsl);
    if (rc == 1) {
        FHandshakeDone = true;
        return TStep::tsDone;
    }
    int error = SSL_get_error(FSsl, rc);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) return TStep::tsWantMore;
    HandshakeFailed();
    return TStep::tsFailed;
}

// Names the reason: the certificate's fault when verification refused it,
// else what OpenSSL says (a server that speaks no TLS, an alert, ...).
void TTlsLayer::HandshakeFailed() {
    const long verify = SSL_get_verify_result(FSsl);
    const std::string of = "TLS: the certificate of " + FHost;
    if (verify != X509_V_OK && FContext->Options().CheckCertificates) {
        ERR_clear_error();
        switch (verify) {
        case X509_V_ERR_CERT_HAS_EXPIRED:
            Fail(ERROR_INTERNET_SEC_CERT_DATE_INVALID, of + " has expired");
            return;
        case X509_V_ERR_CERT_NOT_YET_VALID:
            Fail(ERROR_INTERNET_SEC_CERT_DATE_INVALID, of + " is not valid yet");
            return;
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            Fail(ERROR_INTERNET_SEC_CERT_CN_INVALID, of + " is for another host");
            return;
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_CERT_UNTRUSTED:
            Fail(ERROR_INTERNET_INVALID_CA, of + " was issued by an unknown authority (" +
                                                X509_verify_cert_error_string(verify) + ")");
            return;
        default:
            Fail(ERROR_INTERNET_SEC_INVALID_CERT,
                 of + " is not valid (" + X509_verify_cert_error_string(verify) + ")");
            return;
        }
    }
    Fail(ERROR_INTERNET_SECURITY_CHANNEL_ERROR, "TLS: the handshake with " + FHost + " failed (" + TakeTlsErrorText() + ")");
}

int TTlsLayer::Read(char* buffer, int len) {
    if (Failed() || !FHandshakeDone || len <= 0) return -1;
    ERR_clear_error();
    int n = SSL_read(FSsl, buffer, len);
    if (n > 0) return n;
    switch (SSL_get_error(FSsl, n)) {
    case SSL_ERROR_ZERO_RETURN:
        FCloseNotify = true;
        return 0;
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
        return -1;
    default:
        Fail(ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
             "TLS: the stream from " + FHost + " is damaged (" + TakeTlsErrorText() + ")");
        return -1;
    }
}

bool TTlsLayer::HasPending() const {
    if (!FSsl || Failed()) return false;
    return SSL_pending(FSsl) > 0 || BIO_ctrl_pending(FIn) > 0;
}

bool TTlsLayer::Write(const char* data, size_t len) {
    if (Failed() || !FHandshakeDone) return false;
    while (len > 0) {
        ERR_clear_error();
        int chunk = len > INT_MAX ? INT_MAX : static_cast<int>(len);
        int n = SSL_write(FSsl, data, chunk);
        if (n <= 0) {
            Fail(ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
                 "TLS: can't send to " + FHost + " (" + TakeTlsErrorText() + ")");
            return false;
        }
        data += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

void TTlsLayer::Shutdown() {
    if (!FSsl || !FHandshakeDone || FShutdownSent || Failed()) return;
    FShutdownSent = true;
    ERR_clear_error();
    SSL_shutdown(FSsl);
    ERR_clear_error();
}

bool TTlsLayer::Resumed() const { return FSsl && SSL_session_reused(FSsl) == 1; }

std::string TTlsLayer::Version() const { return FSsl && FHandshakeDone ? SSL_get_version(FSsl) : std::string(); }

} // namespace vorlin
