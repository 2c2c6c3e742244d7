// The registry export reader. The input, taken as 7-bit text, is the body of an export written
// both ways regedit writes one: REGEDIT4 in 8-bit text and version 5.00 in UTF-16LE. Both must
// give the same values for the same key, and every value read through RegistryKey into a buffer
// of any size must leave that buffer zero-terminated.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Registry.h"
#include "platform/RegistryExport.h"

namespace {

constexpr const char* kKeys[] = {"SOFTWARE\\Quarn Corporation\\Install Data\\JVR", "K"};

std::string g_narrow;
std::string g_wide;

void RemoveFiles() {
    std::remove(g_narrow.c_str());
    std::remove(g_wide.c_str());
}

void Write(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::abort();
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string Utf16Le(const std::string& text) {
    std::string units;
    for (char c : text) {
        units += c;
        units += '\0';
    }
    return units;
}

void CheckTerminated(const platform::Registry& registry, const platform::RegistryValues& values,
                     const char* key) {
    platform::RegistryKey opened;
    if (!opened.Open(registry, key)) {
        std::abort();  // the export holds the key
    }
    for (const auto& [name, value] : values) {
        for (std::size_t size :
             {std::size_t{1}, std::size_t{2}, value.size(), value.size() + 1, std::size_t{260}}) {
            std::string buffer(size, 'x');
            const platform::RegistryRead read =
                opened.ReadString(std::string(name).c_str(), buffer.data(), size);
            if (size > 0 && std::memchr(buffer.data(), '\0', size) == nullptr) {
                std::abort();  // an unterminated buffer
            }
            if (read == platform::RegistryRead::Ok && std::strlen(buffer.c_str()) >= size) {
                std::abort();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* folder = std::getenv("TMPDIR");
    const std::string base =
        std::string(folder ? folder : "/tmp") + "/tolvik-fuzz-reg-" + std::to_string(getpid());
    g_narrow = base + "-4.reg";
    g_wide = base + "-5.reg";
    std::atexit(RemoveFiles);
    setenv("TOLVIK_REGISTRY", g_narrow.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string body;
    for (size_t i = 0; i < size; ++i) {
        if (const char c = static_cast<char>(data[i] & 0x7F)) {
            body += c;
        }
    }
    Write(g_narrow, "REGEDIT4\r\n" + body);
    Write(g_wide, "\xFF\xFE" + Utf16Le("Windows Registry Editor Version 5.00\r\n" + body));
    const platform::RegistryExport narrow(g_narrow.c_str());
    const platform::RegistryExport wide(g_wide.c_str());
    if (!narrow.Problem().empty() || !wide.Problem().empty()) {
        std::abort();
    }
    const platform::Registry registry;  // the narrow export, through TOLVIK_REGISTRY
    for (const char* key : kKeys) {
        const platform::RegistryValues* narrowValues = narrow.FindKey(key);
        const platform::RegistryValues* wideValues = wide.FindKey(key);
        if (!narrowValues != !wideValues || (narrowValues && *narrowValues != *wideValues)) {
            std::abort();
        }
        if (narrowValues) {
            CheckTerminated(registry, *narrowValues, key);
        }
    }
    return 0;
}
