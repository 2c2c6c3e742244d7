// A process that loaded a library through OpenSharedLibrary, seen by gdb attached to it and in
// its core: the library by its real path and the stacks, and gdb returns (a name it resolves to
// a pipe of its own blocks it for ever, SIGTERM included).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace {

// AddressSanitizer reserves terabytes that a core would hold (it turns cores off itself): there
// only the attached process is looked at.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kCores = false;
#else
constexpr bool kCores = true;
#endif

std::string Gdb(const std::string& arguments) {
    const std::string command = "timeout -s KILL 10 gdb -nx -batch " + arguments + " 2>&1";
    std::string text;
    FILE* out = popen(command.c_str(), "r");
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
    int input[2];
    int output[2];
    ASSERT_EQ(pipe2(input, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    char* argv[] = {const_cast<char*>(TOLVIK_LOAD_AND_WAIT), const_cast<char*>(TOLVIK_BENCH_LIBRARY),
                    nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(output[1]);
    char said[8] = {};
    const bool loaded = spawned == 0 && read(output[0], said, 7) == 7 && std::string(said) == "loaded\n";
    const std::string core = testing::TempDir() + "load_and_wait." + std::to_string(pid) + ".core";
    const std::string dump = kCores ? " -ex 'generate-core-file " + core + "'" : "";
    const std::string attached =
        loaded
            ? Gdb("-ex 'info sharedlibrary' -ex 'thread apply all bt'" + dump + " -p " + std::to_string(pid))
            : "";
    if (spawned == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(input[1]);
    close(output[0]);
    ASSERT_TRUE(loaded);
    std::vector<std::string> seen = {attached};
    if (kCores) {
        seen.push_back(Gdb("-ex 'info sharedlibrary' -ex bt " + std::string(argv[0]) + " " + core));
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
    EXPECT_NE(attached.find("Thread 1 "), std::string::npos) << attached;
}

}  // namespace
