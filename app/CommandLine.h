// The program's command line: --help, --version, the files the environment variables
// TOLVIK_BENCH_SCENARIO, TOLVIK_BRIDGE_LIBRARY and TOLVIK_REGISTRY otherwise name, and the CAN
// adapters (--adapter, else TOLVIK_CAN_ADAPTER).
#pragma once

#include <QString>
#include <QStringList>

struct CommandLine {
    // Run the dialog, or end at once with `exitCode` after printing `output` (to stdout for
    // help and version, to stderr for an error).
    bool run = true;
    int exitCode = 0;
    QString output;

    // Absolute paths of the files given; empty when not given.
    QString scenario;
    QString bridgeLibrary;
    QString registry;
    // Adapter specs in the order given (KIND:DEVICE[,bitrate=N]); the CAN adapter library
    // reads and judges them.
    QStringList adapters;
};

// The exit code of a command line that cannot be run.
constexpr int kCommandLineErrorExit = 2;

// Reads `arguments` (the program's name first). Needs a QCoreApplication (for the help text);
// a file given that is not a readable regular file is an error naming it.
CommandLine ParseCommandLine(const QStringList& arguments);

// Hands the files given to the parts that read them, through their environment variables, so
// that the command line wins over the environment. Adapters given also load the CAN adapter
// library unless a bridge library is given.
void ApplyCommandLine(const CommandLine& line);
