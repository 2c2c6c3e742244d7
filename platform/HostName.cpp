#include "platform/HostName.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <unistd.h>
#endif

#include <climits>

namespace platform {

bool GetHostName(char* buffer, std::size_t size) {
    if (size == 0) {
        return false;
    }
    buffer[0] = '\0';
#ifdef _WIN32
    // gethostname needs the socket layer started; it is the only socket call made.
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return false;
    }
    const bool ok = gethostname(buffer, size > INT_MAX ? INT_MAX : static_cast<int>(size)) == 0;
    WSACleanup();
#else
    const bool ok = gethostname(buffer, size) == 0;
#endif
    // POSIX leaves a cut name unterminated.
    buffer[size - 1] = '\0';
    if (!ok) {
        buffer[0] = '\0';
    }
    return ok;
}

}  // namespace platform
