// Failures above the socket: the TLS layer, the tunnel through a proxy and
// answers whose framing breaks. They travel in the same 16-bit error as the
// socket's own codes (OnRequestDone), so they carry the numbers Windows gives
// its Internet functions for the same failures.
#pragma once

#include <string>

namespace vorlin {

constexpr int ERROR_INTERNET_CANNOT_CONNECT = 12029;          // the proxy refused the tunnel
constexpr int ERROR_INTERNET_CONNECTION_ABORTED = 12030;      // TLS stream cut without close_notify
constexpr int ERROR_INTERNET_SEC_CERT_DATE_INVALID = 12037;   // expired or not yet valid
constexpr int ERROR_INTERNET_SEC_CERT_CN_INVALID = 12038;     // issued for another host
constexpr int ERROR_INTERNET_INVALID_CA = 12045;              // unknown issuer, self-signed
constexpr int ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;     // a framing the client can't follow
constexpr int ERROR_INTERNET_SECURITY_CHANNEL_ERROR = 12157;  // the handshake or a record failed
constexpr int ERROR_INTERNET_SEC_INVALID_CERT = 12169;        // any other certificate fault

// The short text of such a code; the socket's table for every other code.
std::string TransportErrorDesc(int code);
// True for the codes above.
bool IsTransportError(int code);

} // namespace vorlin
