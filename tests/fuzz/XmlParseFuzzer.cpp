// ParseText on arbitrary bytes in one encoding (FUZZ_ENCODING), as a whole document and with the
// first tag the configuration chain asks for.
#include <cstdint>
#include <cstring>
#include <memory>

#include "config/Xml.h"
#include "tests/fuzz/XmlFuzzCheck.h"

using config::ParseText;
using config::SetEncoding;
using config::XmlNode;
using config::XmlResults;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetEncoding(FUZZ_ENCODING);
    // An exact-size copy: a read past the terminating zero is an AddressSanitizer finding.
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';
    for (const char* firstTag : {static_cast<const char*>(nullptr), "XML"}) {
        XmlResults results{};
        XmlNode document = ParseText(text.get(), firstTag, &results);
        CheckOutcome(document, results);
    }
    return 0;
}
