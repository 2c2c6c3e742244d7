#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "config/Xml.h"
#include "tests/config/XmlDump.h"

using config::ParseText;
using config::XmlNode;

namespace {

const char* const kDocument =
    "<configuration>"
    "<Section Name=\"Serial\" Key=\"1\"/>"
    "<section name=\"NETWORK\" key=\"2\" Value=\"b\"/>"
    "<Section Name=\"network\" Key=\"3\"/>"
    "<other Name=\"Network\"/>"
    "</configuration>";

TEST(XmlNode, NullHandleAnswersNothing) {
    const XmlNode null;
    int position = 0;
    EXPECT_TRUE(null.IsNull());
    EXPECT_EQ(nullptr, null.Name());
    EXPECT_FALSE(null.IsInstruction());
    EXPECT_EQ(0, null.ChildCount() + null.TextCount() + null.ClearCount() + null.AttributeCount() +
                     null.EntryCount());
    EXPECT_TRUE(null.ChildAt(0).IsNull());
    EXPECT_TRUE(null.Parent().IsNull());
    EXPECT_EQ(nullptr, null.TextAt(0));
    EXPECT_EQ(nullptr, null.ClearAt(0));
    EXPECT_EQ(nullptr, null.AttributeValueAt(0));
    EXPECT_EQ(nullptr, null.AttributeValue("a", &position));
    EXPECT_TRUE(null.FindChild("a", &position).IsNull());
    EXPECT_EQ(0, position);
    EXPECT_TRUE(null.FindChildWithAttribute("a", "b", "c").IsNull());
    // A chain of lookups whose first step misses ends in the null handle.
    XmlNode document = ParseText(kDocument, nullptr, nullptr);
    EXPECT_TRUE(document.FindChild("missing").FindChild("Section").FindChild("x").IsNull());
    EXPECT_EQ(nullptr, document.FindChild("missing").AttributeValue("Name"));
}

TEST(XmlNode, IndexesOutOfRangeGiveNull) {
    XmlNode document = ParseText("<a x=\"1\" y=\"2\">t<!--c--><b/></a>", nullptr, nullptr);
    for (int index : {-1000, -1, 2, 1000}) {
        EXPECT_EQ(nullptr, document.AttributeValueAt(index)) << index;
        EXPECT_EQ(nullptr, document.AttributeNameAt(index)) << index;
        EXPECT_EQ(nullptr, document.TextAt(index)) << index;
        EXPECT_EQ(nullptr, document.ClearAt(index)) << index;
        EXPECT_TRUE(document.ChildAt(index).IsNull()) << index;
    }
    int negative = -1;
    EXPECT_TRUE(document.FindChild("b", &negative).IsNull());
    EXPECT_EQ(nullptr, document.AttributeValue("x", &negative));
    EXPECT_EQ(-1, negative);
    EXPECT_TRUE(document.FindChild(nullptr).IsNull());
    EXPECT_EQ(nullptr, document.AttributeValue(nullptr));
}

TEST(XmlNode, LookupsIgnoreAsciiCaseOnly) {
    XmlNode document =
        ParseText("<Configuration><appSettings Key=\"v\"/><\xC3\xA9/></Configuration>", nullptr, nullptr);
    EXPECT_FALSE(document.FindChild("APPSETTINGS").IsNull());
    EXPECT_STREQ("v", document.FindChild("appsettings").AttributeValue("key"));
    EXPECT_FALSE(document.FindChild("\xC3\xA9").IsNull());
    EXPECT_TRUE(document.FindChild("\xC3\x89").IsNull());  // É is not folded
    EXPECT_TRUE(document.FindChild("appSetting").IsNull());
    EXPECT_TRUE(document.FindChild("appSettingsX").IsNull());
}

TEST(XmlNode, PositionsWalkEveryMatch) {
    XmlNode document = ParseText(kDocument, nullptr, nullptr);
    std::string keys;
    int position = 0;
    for (XmlNode s = document.FindChild("SECTION", &position); !s.IsNull();
         s = document.FindChild("section", &position)) {
        keys += s.AttributeValue("KEY");
        keys += "@" + std::to_string(position) + " ";
    }
    EXPECT_EQ("1@1 2@2 3@3 ", keys);
    EXPECT_EQ(3, position);  // untouched by the final miss

    XmlNode a = ParseText("<a k=\"1\" x=\"2\" K=\"3\" k/>", nullptr, nullptr);
    int at = 0;
    std::string values;
    for (int i = 0; i < 3; ++i) {
        const char* value = a.AttributeValue("k", &at);
        values += std::string(value ? value : "(null)") + "@" + std::to_string(at) + " ";
    }
    EXPECT_EQ("1@1 3@3 (null)@4 ", values);  // a bare name looks like a miss
}

TEST(XmlNode, FindChildWithAttribute) {
    XmlNode document = ParseText(kDocument, nullptr, nullptr);
    const struct {
        const char* element;
        const char* attribute;
        const char* value;
        const char* found;
    } rows[] = {
        {"Section", "Name", "Network", "section[name=NETWORK key=2 Value=b]"},
        {"SECTION", "NAME", "serial", "Section[Name=Serial Key=1]"},
        {"Section", "Value", "B", "section[name=NETWORK key=2 Value=b]"},
        {"other", "name", "NETWORK", "other[Name=Network]"},
        {"Section", "Name", "Missing", "null"},
        {"Section", "Missing", "x", "null"},
        {"Section", "Name", nullptr, "null"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.found, Dump(document.FindChildWithAttribute(row.element, row.attribute, row.value)))
            << row.element << " " << row.attribute << " " << (row.value ? row.value : "(null)");
    }
}

TEST(XmlNode, BareAttributeStopsTheChildsScan) {
    XmlNode document = ParseText("<r><s n n=\"x\"/><s n=\"y\" n=\"x\"/></r>", nullptr, nullptr);
    // The first s stops at its bare n; the second matches on its second n.
    EXPECT_EQ("s[n=y n=x]", Dump(document.FindChildWithAttribute("s", "n", "x")));
}

TEST(XmlNode, HeldElementOutlivesItsDocument) {
    XmlNode inner;
    {
        XmlNode document = ParseText("<a><b k=\"v\"><c>t</c></b><d/></a>", nullptr, nullptr);
        inner = document.FindChild("b");
        EXPECT_EQ("a", std::string(inner.Parent().Name()));
    }
    EXPECT_EQ("b[k=v](c't')", Dump(inner));
    EXPECT_TRUE(inner.Parent().IsNull());
    EXPECT_EQ("b", std::string(inner.ChildAt(0).Parent().Name()));
}

TEST(XmlNode, CopiesAndAssignmentsShareTheRecord) {
    XmlNode document = ParseText("<a><b/><c/></a>", nullptr, nullptr);
    XmlNode copy = document;
    XmlNode& self = copy;
    copy = self;  // no change
    XmlNode moved = std::move(copy);
    XmlNode other = document.ChildAt(1);
    other = moved;
    moved = XmlNode();
    document = XmlNode();
    EXPECT_EQ("a(b c)", Dump(other));
    XmlNode& same = other;
    other = std::move(same);
    EXPECT_EQ("a(b c)", Dump(other));
}

}  // namespace
