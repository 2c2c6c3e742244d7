// ParseText against tinyxml2 and pugixml: each builds (and frees) its tree from the same text
// in memory. Peak memory is measured in a fresh process per parser and input, so that no heap
// left over from an earlier run hides what a parse needs.
#include <benchmark/benchmark.h>
#include <tinyxml2.h>
#include <pugixml.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/Xml.h"
#include "perf/xml/XmlCorpus.h"

using config::ParseText;
using config::XmlErrorNone;
using config::XmlNode;
using config::XmlResults;

namespace {

namespace fs = std::filesystem;

bool WithParseText(const std::string& text) {
    XmlResults results{};
    XmlNode document = ParseText(text.c_str(), nullptr, &results);
    benchmark::DoNotOptimize(document);
    return results.error == XmlErrorNone;
}

bool WithTinyXml2(const std::string& text) {
    tinyxml2::XMLDocument document;
    return document.Parse(text.c_str(), text.size()) == tinyxml2::XML_SUCCESS;
}

bool WithPugixml(const std::string& text) {
    pugi::xml_document document;
    return static_cast<bool>(document.load_buffer(text.data(), text.size()));
}

struct Parser {
    const char* name;
    bool (*parse)(const std::string&);
};

const Parser kParsers[] = {
    {"tinyxml2", WithTinyXml2}, {"ParseText", WithParseText}, {"pugixml", WithPugixml}};

struct Input {
    const char* name;
    std::string (*make)();
    int iterations;  // 0: as many as the benchmark library wants
    bool peakMemory;
};

const Input kInputs[] = {
    {"main-config", [] { return MainConfigText(); }, 0, false},
    {"system-info", [] { return SystemInfoText(); }, 0, false},
    {"hardware-config", [] { return HardwareConfigText(40); }, 0, false},
    {"10MB", [] { return MeasurementText(10u << 20); }, 0, true},
    {"100MB", [] { return MeasurementText(100u << 20); }, 3, true},
    {"1M-children", [] { return WideText(1000000); }, 0, true},
};

// Each text is made once, on first use, so a filtered run makes only what it needs. `input` is
// an entry of kInputs.
const std::string& TextOf(const Input& input) {
    static std::string texts[std::size(kInputs)];
    std::string& text = texts[&input - kInputs];
    if (text.empty()) {
        text = input.make();
    }
    return text;
}

void Parse(benchmark::State& state, const Parser* parser, const Input* input) {
    const std::string& text = TextOf(*input);
    if (!parser->parse(text)) {
        state.SkipWithError("the parser rejects the text");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(parser->parse(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

long StatusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(std::strlen(field)));
        }
    }
    return -1;
}

// Child mode: parses once and prints how far the resident set rose above the text alone.
int PrintPeak(const Parser& parser, const Input& input) {
    const std::string& text = TextOf(input);
    std::ofstream("/proc/self/clear_refs") << "5";  // restart the peak from here
    const long before = StatusKilobytes("VmRSS:");
    parser.parse(text);
    std::printf("%ld\n", StatusKilobytes("VmHWM:") - before);
    return 0;
}

void PeakMemory(benchmark::State& state, const Parser* parser, const Input* input) {
    long kilobytes = -1;
    for (auto _ : state) {
        const std::string command =
            fs::read_symlink("/proc/self/exe").string() + " --peak-of " + input->name + " " + parser->name;
        if (std::FILE* child = popen(command.c_str(), "r")) {
            if (std::fscanf(child, "%ld", &kilobytes) != 1) {
                kilobytes = -1;
            }
            pclose(child);
        }
    }
    if (kilobytes < 0) {
        state.SkipWithError("the measuring process failed");
        return;
    }
    state.counters["peak_MB"] = kilobytes / 1024.0;
    state.counters["peak_per_text_byte"] = kilobytes * 1024.0 / static_cast<double>(TextOf(*input).size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--peak-of") == 0) {
        for (const Input& input : kInputs) {
            for (const Parser& parser : kParsers) {
                if (input.name == std::string(argv[2]) && parser.name == std::string(argv[3])) {
                    return PrintPeak(parser, input);
                }
            }
        }
        return 1;
    }
    for (const Input& input : kInputs) {
        for (const Parser& parser : kParsers) {
            const std::string name = std::string(input.name) + "/" + parser.name;
            auto* parse = benchmark::RegisterBenchmark(name.c_str(), Parse, &parser, &input);
            parse->Unit(benchmark::kMicrosecond);
            if (input.iterations > 0) {
                parse->Iterations(input.iterations);
            }
            if (input.peakMemory) {
                benchmark::RegisterBenchmark(("peak-memory/" + name).c_str(), PeakMemory, &parser, &input)
                    ->Iterations(1)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
