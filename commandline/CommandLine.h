// The program's command line, for both front ends: --help, --version, the files the environment
// variables TOLVIK_BENCH_SCENARIO, TOLVIK_BRIDGE_LIBRARY (and, where the registry is read from an
// export, TOLVIK_REGISTRY) otherwise name, and the CAN adapters (--adapter, else TOLVIK_CAN_ADAPTER).
// Arguments are the system's own bytes: Linux's as given, Windows' in the ANSI code page the rest of the
// program opens files with.
#pragma once

#include <string>
#include <vector>

namespace commandline {

struct CommandLine {
    // Run the dialog, or end at once with `exitCode` after showing `output` (help and version as
    // output, an error as one line).
    bool run = true;
    int exitCode = 0;
    std::string output;

    // Absolute paths of the files given; empty when not given.
    std::string scenario;
    std::string bridgeLibrary;
    std::string registry;
    // Adapter names in the order given (KIND:DEVICE[,bitrate=N]); the CAN adapter library reads
    // and judges them.
    std::vector<std::string> adapters;
};

// The exit code of a command line that cannot be run.
constexpr int kCommandLineErrorExit = 2;

// Reads `arguments` (the program's path first). A file given that is not a readable regular file
// is an error naming it.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// Hands the files given to the parts that read them, through their environment variables, so
// that the command line wins over the environment. Adapters given also load the CAN adapter
// library unless a bridge library is given.
void ApplyCommandLine(const CommandLine& line);

}  // namespace commandline
