// This computer's network host name, which names the older host application's CAL file.
#pragma once

#include <cstddef>

namespace platform {

// Writes the host name into `buffer` (`size` bytes), always zero-terminated and cut to fit;
// empty (and false) when the system gives none.
bool GetHostName(char* buffer, std::size_t size);

}  // namespace platform
