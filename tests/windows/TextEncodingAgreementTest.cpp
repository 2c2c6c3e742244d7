// The system's UTF-16 functions and the portable stand-ins side by side on one table of inputs:
// configuration files read the same on Windows as elsewhere.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/TextEncoding.h"
#include "platform/TextEncodingPortable.h"
#include "tests/support/Utf16Bytes.h"

namespace {

using platform::CodePage;

const std::string kBom = "\xFF\xFE";

// `statistical`: no byte-order mark and no odd length decide, so Windows judges by statistics
// the stand-in only approximates; the two verdicts are shown, not compared.
struct Sample {
    const char* name;
    std::string bytes;
    bool statistical = false;
};

const Sample kSamples[] = {
    {"empty", ""},
    {"one byte", "<"},
    {"mark alone", kBom},
    {"mark and ASCII", kBom + Utf16LeBytes(u"<config/>")},
    {"mark, odd length", kBom + "<"},
    {"mark and CJK", kBom + Utf16LeBytes(u"\u65E5\u672C\u8A9E")},
    {"big-endian mark", "\xFE\xFF\0<\0a"},
    {"ASCII, no mark", Utf16LeBytes(u"<config/>")},
    {"ASCII, no mark, odd length", Utf16LeBytes(u"<config/>") + "x"},
    {"Latin-1 as UTF-16", Utf16LeBytes(u"<a>\u00E9t\u00E9</a>")},
    {"Latin-1 bytes", "<config>\xE9t\xE9</config>"},
    {"UTF-8 CJK bytes", "<a>\xE6\x97\xA5\xE6\x9C\xAC</a>"},
    {"CJK in ASCII markup", Utf16LeBytes(u"<a>\u65E5\u672C\u8A9E</a>")},
    {"CJK only", Utf16LeBytes(u"\u65E5\u672C\u8A9E\u306E")},
    {"two Latin letters, two CJK", Utf16LeBytes(u"ab\u3042\u3044")},
    {"one Latin letter, three CJK", Utf16LeBytes(u"a\u3042\u3044\u3046"), true},
    {"8-bit text with a zero byte", std::string("<configuration></configuration>\0\xC3(", 34), true},
    {"lone high surrogate", Utf16LeBytes(u"<a>\xD800</a>")},
    {"lone low surrogate", Utf16LeBytes(u"<a>\xDC00</a>")},
};

TEST(TextEncodingAgreement, Utf16Verdicts) {
    for (const Sample& sample : kSamples) {
        const int count = static_cast<int>(sample.bytes.size());
        const bool portable = platform::portable::IsUtf16Text(sample.bytes.data(), count);
        const bool system = platform::IsUtf16Text(sample.bytes.data(), count);
        if (sample.statistical) {
            std::printf("%s: system %d, stand-in %d\n", sample.name, system, portable);
        } else {
            EXPECT_EQ(portable, system) << sample.name;
        }
    }
}

std::string Convert(bool system, const std::u16string& text, CodePage target, int room) {
    const std::string units = Utf16LeBytes(text);
    const auto* data = reinterpret_cast<const unsigned char*>(units.data());
    const int count = static_cast<int>(text.size());
    const auto convert = system ? platform::ConvertUtf16Le : platform::portable::ConvertUtf16Le;
    const int size = convert(data, count, target, nullptr, 0);
    std::string out(room < 0 ? size : room, '#');
    const int written = convert(data, count, target, out.data(), static_cast<int>(out.size()));
    return std::to_string(size) + ":" + std::to_string(written) + ":" + out.substr(0, written);
}

const std::u16string kTexts[] = {
    u"<a/>",
    u"\u00E9\u00FF",
    u"\u20AC\u0152\u2122\u0178",
    u"\u0081\u0080\u0100",
    u"\u3042",
    u"\U0001F600",
    u"\xD83D"
    u"a",
    u"a\xDE00",
    u"\xDE00\xD83D",
};

TEST(TextEncodingAgreement, Conversions) {
    for (const std::u16string& text : kTexts) {
        for (CodePage target : {CodePage::Utf8, CodePage::Ansi}) {
            for (int room : {-1, 0, 1}) {
                EXPECT_EQ(Convert(false, text, target, room), Convert(true, text, target, room))
                    << "text of " << text.size() << " units, code page " << static_cast<int>(target)
                    << ", room " << room << " first unit " << static_cast<unsigned>(text[0]);
            }
        }
    }
}

}  // namespace
