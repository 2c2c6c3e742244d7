// What the command line asks of the system about a file it names, and how it hands it on.
#pragma once

#include <string>

namespace commandline {

// Null when `path` names a regular file the program can read, else why not ("no such file",
// "not a regular file", "cannot be read").
const char* FileProblem(const std::string& path);

// `path` made absolute against the current folder.
std::string AbsolutePath(const std::string& path);

// The CAN adapter library: beside the program (as built), else in the folder the installer puts
// it in.
std::string CanAdapterLibrary();

// Sets the environment variable for this process and what it loads.
void SetEnvironment(const char* name, const std::string& value);

}  // namespace commandline
