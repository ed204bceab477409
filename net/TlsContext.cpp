#include "net/TlsContext.h"

#include <map>
#include <mutex>
#include <vector>

#include <openssl/err.h>
#include <openssl/ssl.h>

namespace vorlin {

namespace {

// Enough for every server of a large run; the oldest goes first.
constexpr size_t kMaxSessions = 512;

struct TContextCache {
    std::mutex Lock;
    std::vector<std::shared_ptr<TTlsContext>> Contexts;
};

// Made once and never freed: OpenSSL's own clean-up at exit must not run
// before the contexts are freed, and the order of static destructors can't
// promise that.
TContextCache& Cache() {
    static auto* cache = new TContextCache;
    return *cache;
}

// OpenSSL hands over each new session of a connection here (after the
// handshake, and for TLS 1.3 with every ticket the server sends).
int SessionArrived(SSL* ssl, SSL_SESSION* session) {
    auto* context = static_cast<TTlsContext*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
    auto* key = static_cast<const std::string*>(SSL_get_app_data(ssl));
    if (!context || !key || key->empty()) return 0;
    context->RememberSession(*key, session);
    return 1;  // the reference is ours now
}

} // namespace

struct TTlsContext::TSessions {
    std::mutex Lock;
    std::map<std::string, SSL_SESSION*> ByKey;
    std::vector<std::string> Order;  // oldest first

    ~TSessions() {
        for (auto& entry : ByKey) SSL_SESSION_free(entry.second);
    }
};

std::string TakeTlsErrorText() {
    unsigned long code = ERR_peek_last_error();
    std::string text = "unknown";
    if (code != 0) {
        const char* reason = ERR_reason_error_string(code);
        text = reason ? reason : "error " + std::to_string(code);
    }
    ERR_clear_error();
    return text;
}

std::shared_ptr<TTlsContext> TTlsContext::For(const TTlsOptions& options) {
    TContextCache& cache = Cache();
    std::lock_guard<std::mutex> g(cache.Lock);
    for (const auto& context : cache.Contexts)
        if (context->FOptions == options) return context;
    std::shared_ptr<TTlsContext> context(new TTlsContext(options));
    cache.Contexts.push_back(context);
    return context;
}

TTlsContext::TTlsContext(const TTlsOptions& options) : FOptions(options), FSessions(std::make_unique<TSessions>()) {
    ERR_clear_error();
    FContext = SSL_CTX_new(TLS_client_method());
    if (!FContext) throw ETlsError("TLS is not available: " + TakeTlsErrorText());
    SSL_CTX_set_min_proto_version(FContext, TLS1_2_VERSION);
    if (options.CheckCertificates) {
        SSL_CTX_set_verify(FContext, SSL_VERIFY_PEER, nullptr);
        SSL_CTX_set_default_verify_paths(FContext);
        if (!options.CaFile.empty() && SSL_CTX_load_verify_locations(FContext, options.CaFile.c_str(), nullptr) != 1) {
            std::string reason = TakeTlsErrorText();
            SSL_CTX_free(FContext);
            FContext = nullptr;
            throw ETlsError("can't read the certificate authorities in " + options.CaFile + ": " + reason);
        }
    } else {
        SSL_CTX_set_verify(FContext, SSL_VERIFY_NONE, nullptr);
    }
    // Sessions are kept by us, per server, not in OpenSSL's own cache.
    SSL_CTX_set_session_cache_mode(FContext, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_set_app_data(FContext, this);
    SSL_CTX_sess_set_new_cb(FContext, SessionArrived);
    ERR_clear_error();
}

TTlsContext::~TTlsContext() {
    if (FContext) SSL_CTX_free(FContext);
}

void TTlsContext::RememberSession(const std::string& key, ssl_session_st* session) {
    std::lock_guard<std::mutex> g(FSessions->Lock);
    auto& byKey = FSessions->ByKey;
    auto found = byKey.find(key);
    if (found != byKey.end()) {
        SSL_SESSION_free(found->second);
        found->second = session;
        return;
    }
    if (byKey.size() >= kMaxSessions && !FSessions->Order.empty()) {
        const std::string oldest = FSessions->Order.front();
        FSessions->Order.erase(FSessions->Order.begin());
        auto old = byKey.find(oldest);
        if (old != byKey.end()) {
            SSL_SESSION_free(old->second);
            byKey.erase(old);
        }
    }
    byKey[key] = session;
    FSessions->Order.push_back(key);
}

ssl_session_st* TTlsContext::RecallSession(const std::string& key) {
    std::lock_guard<std::mutex> g(FSessions->Lock);
    auto found = FSessions->ByKey.find(key);
    if (found == FSessions->ByKey.end() || !SSL_SESSION_is_resumable(found->second)) return nullptr;
    SSL_SESSION_up_ref(found->second);
    return found->second;
}

void TTlsContext::ForgetSession(const std::string& key) {
    std::lock_guard<std::mutex> g(FSessions->Lock);
    auto found = FSessions->ByKey.find(key);
    if (found == FSessions->ByKey.end()) return;
    SSL_SESSION_free(found->second);
    FSessions->ByKey.erase(found);
    auto& order = FSessions->Order;
    for (auto it = order.begin(); it != order.end(); ++it)
        if (*it == key) {
            order.erase(it);
            break;
        }
}

} // namespace vorlin
