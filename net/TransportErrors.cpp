#include "net/TransportErrors.h"

#include "net/SocketErrors.h"

namespace vorlin {

bool IsTransportError(int code) {
    switch (code) {
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
    case ERROR_INTERNET_SEC_INVALID_CERT:
        return true;
    default:
        return false;
    }
}

std::string TransportErrorDesc(int code) {
    switch (code) {
    case ERROR_INTERNET_CANNOT_CONNECT:
        return "The proxy refused the tunnel";
    case ERROR_INTERNET_CONNECTION_ABORTED:
        return "The TLS stream was cut short";
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
        return "The certificate has expired or is not yet valid";
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
        return "The certificate is for another host";
    case ERROR_INTERNET_INVALID_CA:
        return "The certificate was issued by an unknown authority";
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
        return "The server response could not be parsed";
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
        return "The TLS handshake failed";
    case ERROR_INTERNET_SEC_INVALID_CERT:
        return "The certificate is not valid";
    default:
        return WSocketErrorDesc(code);
    }
}

} // namespace vorlin
