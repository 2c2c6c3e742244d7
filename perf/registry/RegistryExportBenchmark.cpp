// Reading a registry export of 64 MiB (the reader's limit) whose lines are all distinct string
// values under the wanted key: the worst case for a reader that compares each value with those
// already stored. The peer reads the same file line by line (fread and memchr) and stores nothing:
// the ratio says what parsing and storing cost on top of reading. Both export forms are measured.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/RegistryExport.h"

namespace {

const char kKey[] = "SOFTWARE\\Quarn Corporation\\Install Data\\JVR";
constexpr std::size_t kBytes = 64 * 1024 * 1024;

std::string Utf16Le(const std::string& text) {
    std::string units;
    units.reserve(2 * text.size());
    for (char c : text) {
        units += c;
        units += '\0';
    }
    return units;
}

// The export written once per form, removed at exit; the number of values it holds.
struct ExportFile {
    explicit ExportFile(bool unicode) {
        path = "/tmp/tolvik-perf-registry-" + std::to_string(getpid()) + (unicode ? "-5.reg" : "-4.reg");
        std::string text = (unicode ? "Windows Registry Editor Version 5.00" : "REGEDIT4") +
                           std::string("\r\n\r\n[HKEY_LOCAL_MACHINE\\") + kKey + "]\r\n";
        const std::size_t limit = unicode ? kBytes / 2 - 1 : kBytes;
        char line[64];
        for (;;) {
            const int length =
                std::snprintf(line, sizeof line, "\"Value%07zu\"=\"C:\\\\Data\\\\%zu\"\r\n", values, values);
            if (text.size() + static_cast<std::size_t>(length) > limit) {
                break;
            }
            text.append(line, static_cast<std::size_t>(length));
            ++values;
        }
        const std::string bytes = unicode ? "\xFF\xFE" + Utf16Le(text) : text;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        size = bytes.size();
    }
    ~ExportFile() { std::remove(path.c_str()); }

    std::string path;
    std::size_t values = 0;
    std::size_t size = 0;
};

const ExportFile& File(bool unicode) {
    static const ExportFile narrow(false);
    static const ExportFile wide(true);
    return unicode ? wide : narrow;
}

void Reader(benchmark::State& state) {
    const ExportFile& file = File(state.range(0) != 0);
    for (auto _ : state) {
        const platform::RegistryExport registry(file.path.c_str());
        const platform::RegistryValues* values = registry.FindKey(kKey);
        if (!values || values->size() != file.values) {
            state.SkipWithError("the values were not all read");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size));
    state.counters["values"] = static_cast<double>(file.values);
}

void LineScan(benchmark::State& state) {
    const ExportFile& file = File(state.range(0) != 0);
    static char chunk[1 << 16];
    for (auto _ : state) {
        std::FILE* input = std::fopen(file.path.c_str(), "rb");
        std::size_t lines = 0;
        for (std::size_t count; (count = std::fread(chunk, 1, sizeof chunk, input)) > 0;) {
            for (const char* at = chunk;
                 (at = static_cast<const char*>(std::memchr(at, '\n', chunk + count - at))); ++at) {
                ++lines;
            }
        }
        std::fclose(input);
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size));
}

// Argument 0: REGEDIT4 text; 1: UTF-16LE.
BENCHMARK(Reader)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(LineScan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

BENCHMARK_MAIN();
