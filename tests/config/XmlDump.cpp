#include "tests/config/XmlDump.h"

#include <cstring>
#include <memory>

using config::GetEncoding;
using config::ParseText;
using config::XmlNode;
using config::XmlResults;

std::string Dump(const XmlNode& node) {
    if (node.IsNull()) {
        return "null";
    }
    std::string out = node.IsInstruction() ? "?" : "";
    out += node.Name() ? node.Name() : "#root";
    for (int i = 0; i < node.AttributeCount(); ++i) {
        out += i == 0 ? "[" : " ";
        out += node.AttributeNameAt(i);
        if (const char* value = node.AttributeValueAt(i)) {
            out += std::string("=") + value;
        }
        out += i + 1 == node.AttributeCount() ? "]" : "";
    }
    for (int i = 0; i < node.TextCount(); ++i) {
        out += std::string("'") + node.TextAt(i) + "'";
    }
    for (int i = 0; i < node.ClearCount(); ++i) {
        out += std::string("{") + node.ClearAt(i) + "}";
    }
    for (int i = 0; i < node.ChildCount(); ++i) {
        out += (i == 0 ? "(" : " ") + Dump(node.ChildAt(i)) + (i + 1 == node.ChildCount() ? ")" : "");
    }
    return out;
}

XmlNode ParseCopy(const std::string& text, const char* firstTag, XmlResults* results, int encoding) {
    EncodingScope scope(encoding ? encoding : GetEncoding());
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return ParseText(copy.get(), firstTag, results);
}
