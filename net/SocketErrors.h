// The texts of the Windows Sockets error codes, as the socket and the HTTP
// client show them ("Connection refused (Error #10061)"), and the
// exception of the socket layer.
#pragma once

#include "platform/Exception.h"
#include "platform/WinsockErrors.h"

#include <string>

namespace vorlin {

class ESocketException : public Exception {
public:
    using Exception::Exception;
};

// "No Error" for 0, "Not a WinSock error" for a code outside the table.
std::string WSocketErrorDesc(int code);

} // namespace vorlin
