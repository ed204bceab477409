// Host name lookup: synchronous, and asynchronous on a small pool of worker
// threads that post the reply to a message target (the stand-in for
// WSAAsyncGetHostByName). The lookup routine can be replaced, so tests
// never ask a name server.
#pragma once

#include "platform/Messages.h"

#include <functional>
#include <string>
#include <vector>

namespace vorlin {

// Fills addresses (dotted IPv4 first, then IPv6 text) and answers 0, or a
// Windows Sockets code (11001 host not found ... 11004).
using THostLookup = std::function<int(const std::string& host, std::vector<std::string>& addresses)>;

// Installs a lookup routine (empty: the system resolver); returns the old one.
THostLookup SetHostLookup(THostLookup lookup);
int LookupHost(const std::string& host, std::vector<std::string>& addresses);

// The reply of an asynchronous lookup: the message posted to the target
// with WParam = the request handle, LParam = the error code and a payload
// TPayloadOf<std::vector<std::string>> of the addresses.
using TLookupHandle = uint32_t;
// Answers the request handle (never 0), or 0 when no worker could start.
TLookupHandle StartAsyncLookup(const std::string& host, THandle target, uint32_t message);
// No reply is posted for a cancelled request; false when it was unknown.
bool CancelAsyncLookup(TLookupHandle handle);

} // namespace vorlin
