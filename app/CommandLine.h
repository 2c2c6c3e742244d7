// The program's command line in Qt's strings, read by the parser both front ends share
// (commandline/): --help, --version and the files the environment variables
// TOLVIK_BENCH_SCENARIO, TOLVIK_BRIDGE_LIBRARY and TOLVIK_REGISTRY otherwise name.
#pragma once

#include <QString>
#include <QStringList>

#include "commandline/CommandLine.h"

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
};

// The exit code of a command line that cannot be run.
constexpr int kCommandLineErrorExit = commandline::kCommandLineErrorExit;

// Reads `arguments` (the program's name first); a file given that is not a readable regular file is an error naming it.
CommandLine ParseCommandLine(const QStringList& arguments);

// Hands the files given to the parts that read them, through their environment variables, so
// that the command line wins over the environment.
void ApplyCommandLine(const CommandLine& line);
