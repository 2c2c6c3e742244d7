// A compact picture of an element tree for table-driven tests:
//   name[attr=value bare]'text'{clear}(child child)
// with "?" before an instruction's name, "#root" for the nameless root and "null" for the null
// handle.
#pragma once

#include <string>

#include "config/Xml.h"

std::string Dump(const config::XmlNode& node);

// Runs `body` with `encoding` current and puts the previous setting back afterwards.
class EncodingScope {
public:
    explicit EncodingScope(int encoding) : previous_(config::GetEncoding()) { config::SetEncoding(encoding); }
    ~EncodingScope() { config::SetEncoding(previous_); }
    EncodingScope(const EncodingScope&) = delete;
    EncodingScope& operator=(const EncodingScope&) = delete;

private:
    int previous_;
};

// ParseText on an exact-size heap copy of `text`, so that AddressSanitizer sees any read past
// its terminating zero; with `encoding` current when one is given.
config::XmlNode ParseCopy(const std::string& text, const char* firstTag, config::XmlResults* results,
                          int encoding = 0);
