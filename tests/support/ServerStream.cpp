#include "tests/support/ServerStream.h"

#include "tests/support/TestCertificates.h"

#include <cerrno>
#include <stdexcept>

#include <fcntl.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>

namespace vorlin::test {

namespace {

bool WaitFor(int fd, short events) {
    pollfd p{fd, events, 0};
    return poll(&p, 1, 20) > 0;
}

} // namespace

bool TServerStream::SendAll(const std::string& bytes, const std::atomic<bool>& stop) {
    size_t done = 0;
    while (done < bytes.size() && !stop) {
        ssize_t n = send(FFd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

int TServerStream::Receive(char* buffer, size_t len, const std::atomic<bool>&) {
    if (!WaitFor(FFd, POLLIN)) return -1;
    ssize_t n = recv(FFd, buffer, len, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return -1;
    return n > 0 ? static_cast<int>(n) : 0;
}

void TServerStream::Close() { shutdown(FFd, SHUT_WR); }
void TServerStream::Cut() { shutdown(FFd, SHUT_WR); }

// --- TLS ----------------------------------------------------------------------------

class TTlsServerStream : public TServerStream {
public:
    TTlsServerStream(int fd, const TTlsServerContext& context) : TServerStream(fd), FContext(context) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        FSsl = SSL_new(context.FContext);
        SSL_set_fd(FSsl, fd);
        SSL_set_accept_state(FSsl);
    }
    ~TTlsServerStream() override { SSL_free(FSsl); }

    bool SendAll(const std::string& bytes, const std::atomic<bool>& stop) override {
        if (!Handshake(stop)) return false;
        size_t done = 0;
        while (done < bytes.size() && !stop) {
            int n = SSL_write(FSsl, bytes.data() + done, static_cast<int>(bytes.size() - done));
            if (n > 0) {
                done += static_cast<size_t>(n);
                continue;
            }
            int e = SSL_get_error(FSsl, n);
            if (e == SSL_ERROR_WANT_WRITE || e == SSL_ERROR_WANT_READ) {
                WaitFor(FFd, e == SSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN);
                continue;
            }
            return false;
        }
        return true;
    }

    int Receive(char* buffer, size_t len, const std::atomic<bool>& stop) override {
        if (!Handshake(stop)) return FFailed ? 0 : -1;
        int n = SSL_read(FSsl, buffer, static_cast<int>(len));
        if (n > 0) return n;
        int e = SSL_get_error(FSsl, n);
        if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) {
            WaitFor(FFd, e == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT);
            return -1;
        }
        ERR_clear_error();
        return 0;
    }

    void Close() override {
        if (FDone && !FFailed) SSL_shutdown(FSsl);
        shutdown(FFd, SHUT_WR);
    }
    void Cut() override { shutdown(FFd, SHUT_WR); }

private:
    bool Handshake(const std::atomic<bool>& stop) {
        if (FDone) return true;
        while (!FFailed && !stop) {
            int rc = SSL_accept(FSsl);
            if (rc == 1) {
                FDone = true;
                ++FContext.FHandshakes;
                if (SSL_session_reused(FSsl)) ++FContext.FResumed;
                return true;
            }
            int e = SSL_get_error(FSsl, rc);
            if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) {
                WaitFor(FFd, e == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT);
                continue;
            }
            // The client refused the certificate, or spoke no TLS.
            ERR_clear_error();
            FFailed = true;
        }
        return false;
    }

    const TTlsServerContext& FContext;
    SSL* FSsl = nullptr;
    bool FDone = false;
    bool FFailed = false;
};

TTlsServerContext::TTlsServerContext(const TTestCertificate& certificate) {
    FContext = SSL_CTX_new(TLS_server_method());
    BIO* certBio = BIO_new_mem_buf(certificate.CertificatePem.data(), static_cast<int>(certificate.CertificatePem.size()));
    X509* cert = PEM_read_bio_X509(certBio, nullptr, nullptr, nullptr);
    BIO_free(certBio);
    BIO* keyBio = BIO_new_mem_buf(certificate.KeyPem.data(), static_cast<int>(certificate.KeyPem.size()));
    EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
    BIO_free(keyBio);
    bool ok = FContext && cert && key && SSL_CTX_use_certificate(FContext, cert) == 1 &&
              SSL_CTX_use_PrivateKey(FContext, key) == 1;
    X509_free(cert);
    EVP_PKEY_free(key);
    if (!ok) throw std::runtime_error("test TLS server: unusable certificate");
    // Sessions are resumed with tickets, so the client's cache is what counts.
    SSL_CTX_set_session_id_context(FContext, reinterpret_cast<const unsigned char*>("vorlin"), 6);
}

TTlsServerContext::~TTlsServerContext() { SSL_CTX_free(FContext); }

std::unique_ptr<TServerStream> TTlsServerContext::Wrap(int fd) const {
    return std::make_unique<TTlsServerStream>(fd, *this);
}

} // namespace vorlin::test
