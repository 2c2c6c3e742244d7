// Where the system's loader would find a shared library named without a folder, found by the
// program itself so that the file can be judged on an open descriptor before it is loaded (the
// loader's own search would open a FIFO in a library folder and wait forever).
//
// An approximation of the Linux loader's order: the folders of LD_LIBRARY_PATH (separated by ':'
// or ';', an empty entry being the current folder, no $ORIGIN expansion), then the folders of
// /etc/ld.so.conf with its includes (what ld.so.cache is built from, in the file's order), then
// the default folders /lib/<multiarch>, /usr/lib/<multiarch>, /lib and /usr/lib. Not searched:
// the executable's RPATH/RUNPATH (the program's own build folders at most) and hwcaps subfolders.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The folders searched, in order, for LD_LIBRARY_PATH `libraryPath` (may be null) and the
// configuration file `ldSoConf`.
std::vector<std::string> LibrarySearchFolders(const char* libraryPath, const std::string& ldSoConf);

// The path of the first entry named `name` in those folders (for this process's LD_LIBRARY_PATH
// and /etc/ld.so.conf), whatever it is: the caller judges it. Empty when there is none.
std::string FindLibrary(const std::string& name);

}  // namespace platform
