// The reader of registry export files behind RegistryKey where there is no registry.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

using RegistryValues = std::vector<std::pair<std::string, std::string>>;

// Reads the export at `path` (a file system path) and collects the string values of
// HKEY_LOCAL_MACHINE\<subKey>, a later value replacing an earlier one of the same name. False when
// the file cannot be read, is no registry export, or holds no such key (a key exists also when
// only its subkeys are listed). Lines it does not understand are skipped. When the file cannot be
// used as an export at all (missing, not a regular file, empty, no export header, too large),
// `problem` (if given) says why, to follow the path in a message; otherwise it is left empty.
bool ReadRegistryExport(const char* path, std::string_view subKey, RegistryValues* values,
                        std::string* problem = nullptr);

// ASCII letters fold together, as the registry compares key and value names.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace platform
