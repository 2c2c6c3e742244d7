// The program's command line in Qt's types, read by the parser both front ends share
// (commandline/): --help, --version, the files the environment variables TOLVIK_BENCH_SCENARIO,
// TOLVIK_BRIDGE_LIBRARY and TOLVIK_REGISTRY otherwise name, and the CAN adapters (--adapter, else
// TOLVIK_CAN_ADAPTER).
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "commandline/CommandLine.h"

namespace qtui {

struct CommandLine {
    // Run the dialog, or end at once with `exitCode` after printing `output` (to stdout for
    // help and version, to stderr for an error). A file name in it keeps its bytes through
    // EncodeArgument.
    bool run = true;
    int exitCode = 0;
    QString output;

    // Absolute paths of the files given, as the file system's bytes; empty when not given.
    QByteArray scenario;
    QByteArray bridgeLibrary;
    QByteArray registry;
    // Adapter names in the order given (KIND:DEVICE[,bitrate=N]); the CAN adapter library
    // reads and judges them.
    QList<QByteArray> adapters;
};

// The exit code of a command line that cannot be run.
constexpr int kCommandLineErrorExit = commandline::kCommandLineErrorExit;

// Reads `arguments`, the program's own bytes (argv, the program's name first), so that a file name
// that is not UTF-8 still names its file. A file given that is not a readable regular file is an
// error naming it.
CommandLine ParseCommandLine(const QList<QByteArray>& arguments);

// Hands the files given to the parts that read them, through their environment variables, so
// that the command line wins over the environment. Adapters given also load the CAN adapter
// library unless a bridge library is given.
void ApplyCommandLine(const CommandLine& line);

}  // namespace qtui
