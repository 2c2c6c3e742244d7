// A process that loaded a library through OpenSharedLibrary, seen by gdb attached and in its
// core: gdb returns with the stacks and the library's real path (a name it resolves to a pipe of
// its own blocks it for ever, SIGTERM included).
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/SharedLibrary.h"

namespace {

// AddressSanitizer reserves terabytes that a core would hold (it turns cores off itself): there
// only the attached process is looked at.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kCores = false;
#else
constexpr bool kCores = true;
#endif

std::string Gdb(const std::string& arguments) {
    FILE* out = popen(("timeout -s KILL 10 gdb -nx -batch " + arguments + " 2>&1").c_str(), "r");
    std::string text;
    char chunk[4096];
    for (size_t n; out && (n = fread(chunk, 1, sizeof chunk, out)) > 0;) {
        text.append(chunk, n);
    }
    if (out) {
        pclose(out);
    }
    return text;
}

TEST(SharedLibraryInDebugger, AttachedAndInTheCoreNamedByItsRealPath) {
    if (std::system("command -v gdb >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "gdb is not installed";
    }
    int link[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, link), 0);
    const pid_t child = fork();
    if (child == 0) {
        // Holds the library until the test closes its end (or ends).
        const platform::SharedLibrary library = platform::OpenSharedLibrary(TOLVIK_BENCH_LIBRARY, nullptr);
        char byte = 0;
        if (library && write(link[1], "l", 1) == 1) {
            [[maybe_unused]] const ssize_t n = read(link[1], &byte, 1);
        }
        _exit(0);
    }
    close(link[1]);
    char byte = 0;
    const bool loaded = child > 0 && read(link[0], &byte, 1) == 1;
    const std::string core = testing::TempDir() + "platform_tests." + std::to_string(child) + ".core";
    const std::string dump = kCores ? " -ex 'generate-core-file " + core + "'" : "";
    std::vector<std::string> seen;
    if (loaded) {
        seen.push_back(Gdb("-ex 'info sharedlibrary' -ex 'thread apply all bt'" + dump + " -p " +
                           std::to_string(child)));
    }
    close(link[0]);
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    ASSERT_TRUE(loaded);
    if (kCores) {
        char* self = realpath("/proc/self/exe", nullptr);
        seen.push_back(Gdb("-ex 'info sharedlibrary' -ex bt " + std::string(self ? self : "") + " " + core));
        std::free(self);
        std::remove(core.c_str());
    }
    char* real = realpath(TOLVIK_BENCH_LIBRARY, nullptr);
    const std::string library = real ? real : TOLVIK_BENCH_LIBRARY;
    std::free(real);
    for (const std::string& text : seen) {
        EXPECT_NE(text.find(library), std::string::npos) << text;
        EXPECT_EQ(text.find("/proc/self/fd"), std::string::npos) << text;
        EXPECT_NE(text.find("#1 "), std::string::npos) << text;
    }
    EXPECT_NE(seen[0].find("Thread 1 "), std::string::npos) << seen[0];
}

}  // namespace
