// What every parse promises, checked on fuzzed input; a broken promise aborts, which the fuzzer
// reports as a finding.
#pragma once

#include <cstdlib>
#include <cstring>

#include "config/Xml.h"

// Reads every string of the tree, so that a dangling or unterminated one shows up.
inline size_t TouchTree(const config::XmlNode& node) {
    size_t bytes = node.Name() ? std::strlen(node.Name()) : 0;
    for (int i = 0; i < node.AttributeCount(); ++i) {
        bytes += std::strlen(node.AttributeNameAt(i));
        bytes += node.AttributeValueAt(i) ? std::strlen(node.AttributeValueAt(i)) : 0;
    }
    for (int i = 0; i < node.TextCount(); ++i) {
        bytes += std::strlen(node.TextAt(i));
    }
    for (int i = 0; i < node.ClearCount(); ++i) {
        bytes += std::strlen(node.ClearAt(i)) + std::strlen(node.ClearOpenTagAt(i));
    }
    for (int i = 0; i < node.ChildCount(); ++i) {
        bytes += TouchTree(node.ChildAt(i));
    }
    return bytes;
}

inline void CheckOutcome(const config::XmlNode& document, const config::XmlResults& results) {
    const int code = results.error;
    const bool warning = code == config::XmlErrorNone || code == config::XmlWarningUnmatchedEndTag ||
                         code == config::XmlWarningNoXmlTag;
    if (code < 0 || code > config::XmlErrorWideCharConversion || warning == document.IsNull()) {
        std::abort();
    }
    const bool positioned = code != config::XmlErrorNone && code != config::XmlErrorNoData &&
                            code != config::XmlErrorFileNotFound &&
                            code != config::XmlErrorFirstTagNotFound &&
                            code != config::XmlErrorWideCharConversion;
    if (positioned && (results.line < 1 || results.column < 1)) {
        std::abort();
    }
    TouchTree(document);
}
