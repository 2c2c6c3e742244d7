// The portable UTF-16 reading, the one used where there is no Windows (the Windows build checks
// the system's functions against it).
#include <gtest/gtest.h>

#include <string>

#include "platform/TextEncodingPortable.h"
#include "tests/support/Utf16Bytes.h"

namespace {

using platform::CodePage;

TEST(TextEncoding, RecognisesUtf16) {
    const struct {
        const char* name;
        std::string bytes;
        bool utf16;
    } rows[] = {
        {"one byte", "<", false},
        {"byte-order mark alone", "\xFF\xFE", true},
        {"byte-order mark, odd length", "\xFF\xFE<", true},
        {"big-endian mark", "\xFE\xFF\0<\0a", false},
        {"ASCII as UTF-16", Utf16LeBytes(u"<config/>"), true},
        {"odd length", Utf16LeBytes(u"<config/>") + "x", false},
        {"8-bit text", "<config>\xE9t\xE9</config>", false},
        {"half Latin", Utf16LeBytes(u"ab\u3042\u3044"), true},
        {"under half Latin", Utf16LeBytes(u"a\u3042\u3044\u3046"), false},
        {"zero units do not count", std::string(8, '\0') + Utf16LeBytes(u"ab"), false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.utf16,
                  platform::portable::IsUtf16Text(row.bytes.data(), static_cast<int>(row.bytes.size())))
            << row.name;
    }
}

TEST(TextEncoding, ConvertsToUtf8AndWindows1252) {
    const struct {
        std::u16string text;
        const char* utf8;
        const char* ansi;
    } rows[] = {
        {u"<a/>", "<a/>", "<a/>"},
        {u"\u00E9\u00FF", "\xC3\xA9\xC3\xBF", "\xE9\xFF"},
        {u"\u20AC\u0152\u2122\u0178", "\xE2\x82\xAC\xC5\x92\xE2\x84\xA2\xC5\xB8", "\x80\x8C\x99\x9F"},
        {u"\u0081\u0080\u0100", "\xC2\x81\xC2\x80\xC4\x80", "\x81??"},
        {u"\u3042", "\xE3\x81\x82", "?"},
        {u"\U0001F600", "\xF0\x9F\x98\x80", "??"},
        {u"\xD83D"
         u"a",
         "\xEF\xBF\xBD"
         "a",
         "?a"},
        {u"a\xDE00", "a\xEF\xBF\xBD", "a?"},
    };
    for (const auto& row : rows) {
        const std::string units = Utf16LeBytes(row.text);
        const auto* data = reinterpret_cast<const unsigned char*>(units.data());
        const int count = static_cast<int>(row.text.size());
        for (auto [target, expected] :
             {std::pair{CodePage::Utf8, row.utf8}, std::pair{CodePage::Ansi, row.ansi}}) {
            const int size = platform::portable::ConvertUtf16Le(data, count, target, nullptr, 0);
            ASSERT_EQ(std::string(expected).size(), static_cast<size_t>(size)) << expected;
            std::string out(size, '#');
            EXPECT_EQ(size, platform::portable::ConvertUtf16Le(data, count, target, out.data(), size));
            EXPECT_EQ(expected, out);
            EXPECT_EQ(0, platform::portable::ConvertUtf16Le(data, count, target, out.data(), size - 1))
                << "too small";
        }
    }
    EXPECT_EQ(0, platform::portable::ConvertUtf16Le(nullptr, 0, CodePage::Utf8, nullptr, 0));
}

}  // namespace
