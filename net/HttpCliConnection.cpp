// THttpCli's connections: the one it uses now, where a kept one waits
// between requests, and what a connection is made for (the server, its
// scheme, the proxy and the tunnel through it).
#include "net/HttpCli.h"

#include "links/UrlHelpers.h"
#include "net/ConnectionPool.h"
#include "platform/Base64.h"

namespace vorlin {

THttpConnection& THttpCli::Connection() {
    if (!FConn) {
        FConn = std::make_unique<THttpConnection>();
        FConn->SetUser(this);
        FConn->Socket().MultiThreaded = FMultiThreaded;
    }
    return *FConn;
}

THttpConnectionPool& THttpCli::Pool() {
    if (ConnectionPool) return *ConnectionPool;
    if (!FOwnPool) FOwnPool = std::make_unique<THttpConnectionPool>();
    return *FOwnPool;
}

// Replaces the client's own (closed) connection with a kept one. Never
// called from inside an event of the connection it replaces.
void THttpCli::AdoptConnection(std::unique_ptr<THttpConnection> connection) {
    if (FConn) FConn->SetUser(nullptr);
    FConn = std::move(connection);
    FConn->SetUser(this);
    FConn->Socket().MultiThreaded = FMultiThreaded;
}

// Connections are kept per scheme, server, port and proxy, and per the TLS
// settings they were checked with.
std::string THttpCli::ConnectionKey() const {
    std::string key = FScheme + "://" + FTargetHost + ":" + FTargetPort;
    if (!Proxy.empty()) key += " via " + FConnectHost + ":" + FConnectPort + " as " + ProxyUsername;
    if (FScheme == "https") key += Tls.CheckCertificates ? " checked " + Tls.CaFile : " unchecked";
    return key;
}

bool THttpCli::Tunnelled() const { return !Proxy.empty() && FScheme == "https"; }

TConnectionTarget THttpCli::ConnectionTargetNow() const {
    TConnectionTarget target;
    target.Secure = FScheme == "https";
    target.Host = FTargetHost;
    target.Port = FTargetPort;
    target.Tls = Tls;
    target.Tunnel = Tunnelled();
    if (target.Tunnel) {
        if (!ProxyUsername.empty())
            target.TunnelHeaders += "Proxy-Authorization: Basic " + EncodeBase64(ProxyUsername + ":" + ProxyPassword) + "\r\n";
        if (!Agent.empty()) target.TunnelHeaders += "User-Agent: " + Agent + "\r\n";
    }
    return target;
}

// Through a proxy the request line names the whole URL; inside a tunnel the
// request goes to the server itself and names the path.
std::string THttpCli::RequestTarget() const {
    if (!Tunnelled() || (!FRequestPath.empty() && FRequestPath[0] == '/')) return FRequestPath;
    std::string path = SplitURL(FRequestPath).Path;
    return path.empty() ? std::string("/") : path;
}

void THttpCli::ReleaseConnection() {
    if (!FConn) return;
    FConnected = false;
    if (KeepAlive && FReusable && FConn->IsOpen()) {
        FConn->Key = ConnectionKey();
        FConn->SetUser(nullptr);
        Pool().Put(std::move(FConn));
        return;
    }
    DropConnection();
}

void THttpCli::DropConnection() {
    if (!FConn || FConn->Socket().State() == TSocketState::wsClosed) return;
    FConn->SetUser(nullptr);
    FConn->Close();
    FConn->SetUser(this);
}

} // namespace vorlin
