// Real files for the tests of the registry stand-in and of the bridge address lookup: a temporary
// folder, registry exports in both forms regedit writes, and TOLVIK_REGISTRY pointed at one for a
// test's duration.
#pragma once

#include <string>
#include <utility>
#include <vector>

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // Writes `bytes` to Path() + "/" + relative, making the folders on the way; returns that path.
    std::string Write(const std::string& relative, const std::string& bytes) const;

    // Puts something that is no regular file of bounded size at Path() + "/" + relative (folders
    // on the way made); returns that path.
    enum class Hostile {
        Folder,
        Fifo,       // a reader opening it would wait for a writer forever
        Device,     // a link to /dev/zero: endless zero bytes
        Oversize,   // a sparse regular file of `bytes` bytes
        Growing,    // a link to /proc/self/pagemap: a regular file of size 0 that reads on for gigabytes
        ReadError,  // a link to /proc/self/mem: a regular file whose first read fails
    };
    std::string Plant(const std::string& relative, Hostile kind, unsigned long long bytes = 0) const;

private:
    std::string m_path;
};

// Sets the environment variable `name` to `value` (null: unsets it) and restores the previous state
// on destruction.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string m_name;
    bool m_had;
    std::string m_previous;
};

// TOLVIK_REGISTRY set to `path` (null: unset) for a test's duration.
class ScopedRegistry : public ScopedVariable {
public:
    explicit ScopedRegistry(const char* path) : ScopedVariable("TOLVIK_REGISTRY", path) {}
};

struct ExportKey {
    std::string path;  // below HKEY_LOCAL_MACHINE
    std::vector<std::pair<std::string, std::string>> values;
};

enum class ExportForm { Unicode, Regedit4 };

// The export regedit would write for `keys`: "Windows Registry Editor Version 5.00" in UTF-16LE
// with a byte-order mark, or REGEDIT4 in 8-bit text; CRLF line ends, names and values escaped.
std::string RegistryExport(ExportForm form, const std::vector<ExportKey>& keys);

// Each byte of `text` as one little-endian UTF-16 unit (Latin-1 to UTF-16).
std::string Utf16Le(const std::string& text);

// What the lookup takes for this computer's name.
std::string HostName();
