// Loads the library named by its argument as the program does, says "loaded" and waits for the
// end of its input: a process for a debugger to attach to, which ends with its parent.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/SharedLibrary.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    std::string error;
    const platform::SharedLibrary library = platform::OpenSharedLibrary(argv[1], &error);
    if (!library) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    std::fputs("loaded\n", stdout);
    std::fflush(stdout);
    char byte;
    for (ssize_t n = 1; n > 0 || (n < 0 && errno == EINTR);) {
        n = read(STDIN_FILENO, &byte, 1);
    }
    return 0;
}
