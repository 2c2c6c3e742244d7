// DetectEncoding and LoadFileWithReport on a real file. The first input byte picks the encoding
// left by an earlier load, the first tag and the report buffer's size; the rest is the file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/Xml.h"
#include "tests/fuzz/XmlFuzzCheck.h"

using config::DetectEncoding;
using config::LoadFile;
using config::LoadFileWithReport;
using config::SetEncoding;
using config::XmlEncodingShiftJis;
using config::XmlEncodingUndecided;
using config::XmlResults;

namespace {

std::string g_path;

void RemoveFile() {
    std::remove(g_path.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* folder = std::getenv("TMPDIR");
    g_path = std::string(folder ? folder : "/tmp") + "/tolvik-fuzz-load-" + std::to_string(getpid()) + ".xml";
    std::atexit(RemoveFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t control = data[0];
    const uint8_t* bytes = data + 1;
    const int count = static_cast<int>(size - 1);
    for (bool useDeclaration : {false, true}) {
        const int encoding = DetectEncoding(bytes, count, useDeclaration);
        if (encoding < XmlEncodingUndecided || encoding > XmlEncodingShiftJis) {
            std::abort();
        }
    }
    std::FILE* file = std::fopen(g_path.c_str(), "wb");
    if (!file) {
        std::abort();
    }
    std::fwrite(bytes, 1, count, file);
    std::fclose(file);

    SetEncoding(1 + control % 3);
    const char* firstTag = control & 4 ? "XML" : nullptr;
    XmlResults results{};
    CheckOutcome(LoadFile(g_path.c_str(), firstTag, &results), results);

    // The report must end inside the buffer, however short, and leave the bytes after it alone.
    const int reportSize = control >> 3;
    char report[40];
    std::memset(report, '#', sizeof(report));
    LoadFileWithReport(g_path.c_str(), firstTag, report, reportSize);
    for (int i = reportSize; i < static_cast<int>(sizeof(report)); ++i) {
        if (report[i] != '#') {
            std::abort();
        }
    }
    if (report[0] != '#' && std::memchr(report, '\0', reportSize) == nullptr) {
        std::abort();
    }
    return 0;
}
