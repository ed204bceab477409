#include "net/SocketErrors.h"

#include <unordered_map>

namespace vorlin {

std::string WSocketErrorDesc(int code) {
    static const std::unordered_map<int, const char*> texts = {
        {0, "No Error"},
        {WSAEINTR, "Interrupted system call"},
        {WSAEBADF, "Bad file number"},
        {WSAEACCES, "Permission denied"},
        {WSAEFAULT, "Bad address"},
        {WSAEINVAL, "Invalid argument"},
        {WSAEMFILE, "Too many open files"},
        {WSAEWOULDBLOCK, "Operation would block"},
        {WSAEINPROGRESS, "Operation now in progress"},
        {WSAEALREADY, "Operation already in progress"},
        {WSAENOTSOCK, "Socket operation on non-socket"},
        {WSAEDESTADDRREQ, "Destination address required"},
        {WSAEMSGSIZE, "Message too long"},
        {WSAEPROTOTYPE, "Protocol wrong type for socket"},
        {WSAENOPROTOOPT, "Protocol not available"},
        {WSAEPROTONOSUPPORT, "Protocol not supported"},
        {WSAESOCKTNOSUPPORT, "Socket type not supported"},
        {WSAEOPNOTSUPP, "Operation not supported on socket"},
        {WSAEPFNOSUPPORT, "Protocol family not supported"},
        {WSAEAFNOSUPPORT, "Address family not supported by protocol family"},
        {WSAEADDRINUSE, "Address already in use"},
        {WSAEADDRNOTAVAIL, "Address not available"},
        {WSAENETDOWN, "Network is down"},
        {WSAENETUNREACH, "Network is unreachable"},
        {WSAENETRESET, "Network dropped connection on reset"},
        {WSAECONNABORTED, "Connection aborted"},
        {WSAECONNRESET, "Connection reset by peer"},
        {WSAENOBUFS, "No buffer space available"},
        {WSAEISCONN, "Socket is already connected"},
        {WSAENOTCONN, "Socket is not connected"},
        {WSAESHUTDOWN, "Can't send after socket shutdown"},
        {WSAETOOMANYREFS, "Too many references: can't splice"},
        {WSAETIMEDOUT, "Connection timed out"},
        {WSAECONNREFUSED, "Connection refused"},
        {WSAELOOP, "Too many levels of symbolic links"},
        {WSAENAMETOOLONG, "File name too long"},
        {WSAEHOSTDOWN, "Host is down"},
        {WSAEHOSTUNREACH, "No route to host"},
        {WSAENOTEMPTY, "Directory not empty"},
        {WSAEPROCLIM, "Too many processes"},
        {WSAEUSERS, "Too many users"},
        {WSAEDQUOT, "Disc quota exceeded"},
        {WSAESTALE, "Stale NFS file handle"},
        {WSAEREMOTE, "Too many levels of remote in path"},
        {WSASYSNOTREADY, "Network sub-system is unusable"},
        {WSAVERNOTSUPPORTED, "WinSock DLL cannot support this application"},
        {WSANOTINITIALISED, "WinSock not initialized"},
        {WSAHOST_NOT_FOUND, "Host not found"},
        {WSATRY_AGAIN, "Non-authoritative host not found"},
        {WSANO_RECOVERY, "Non-recoverable error"},
        {WSANO_DATA, "No Data"},
    };
    auto it = texts.find(code);
    return it == texts.end() ? "Not a WinSock error" : it->second;
}

} // namespace vorlin
