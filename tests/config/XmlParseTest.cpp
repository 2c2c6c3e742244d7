#include <gtest/gtest.h>

#include <string>

#include "config/Xml.h"
#include "tests/config/XmlDump.h"

using config::ErrorText;
using config::ParseText;
using config::XmlMaxDepth;
using config::XmlNode;
using config::XmlResults;

namespace {

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

struct ParseErrorRow {
    const char* name;
    std::string input;
    int encoding;
    const char* firstTag;
    int code;
    int line;
    int column;
};

void PrintTo(const ParseErrorRow& row, std::ostream* out) {
    *out << row.name;
}

// Where parsing stops, in characters: the end-tag rows follow tinyxml2's ErrorLine rows.
const ParseErrorRow kParseErrors[] = {
    {"EmptyText", "", 1, nullptr, 2, 1, 1},
    {"EmptyTextWithFirstTag", "", 1, "XML", 11, 0, 0},
    {"WhitespaceOnly", "  \n ", 1, nullptr, 2, 2, 2},
    {"CommentOnly", "<!-- x -->", 1, nullptr, 2, 1, 11},
    {"MissingStartTagName", "<a>< >", 1, nullptr, 4, 1, 7},
    {"MissingEndTagName", "<a></>", 1, nullptr, 5, 1, 7},
    {"EndTagClosedEmpty", "<a></a/>", 1, nullptr, 5, 1, 9},
    {"EndTagOfNoOpenElement", "<a></b>", 1, nullptr, 6, 1, 8},
    {"EndTagMismatchLine", "\n<root>\n</mismatch>", 1, nullptr, 6, 3, 12},
    {"CommentUnterminated", "<a><!-- x </a>", 1, nullptr, 7, 1, 8},
    {"DoctypeUnterminated", "<a/><!DOCTYPE x", 1, nullptr, 7, 1, 14},
    {"DoctypeSubsetUnterminated", "<a/><!DOCTYPE x [<!ENTITY y>", 1, nullptr, 7, 1, 14},
    // Without any element the code is 2, whatever stopped the parse.
    {"ErrorBeforeAnyElement", "<!DOCTYPE x", 1, nullptr, 2, 1, 10},
    {"EqualsForAttributeName", "<a =b>", 1, nullptr, 8, 1, 5},
    {"QuotedForAttributeName", "<a \"x\">", 1, nullptr, 8, 1, 7},
    {"TwoEquals", "<a b==c>", 1, nullptr, 8, 1, 7},
    {"LessThanInQuotedValue", "<a b=\"x<y\">", 1, nullptr, 8, 1, 9},
    {"UnknownEntityInText", "<a>&foo;</a>", 1, nullptr, 12, 1, 11},
    {"UnknownEntityInValue", "<a b=\"&x;\"/>", 1, nullptr, 12, 1, 11},
    {"ReferenceUnterminated", "<a>&#65</a>", 1, nullptr, 12, 1, 10},
    {"ReferenceBadDigit", "<a>&#6A;</a>", 1, nullptr, 12, 1, 11},
    {"AmpersandAtEnd", "<a>x &", 1, nullptr, 12, 1, 7},
    {"ElementLeftOpen", "<a><b></b>", 1, nullptr, 1, 1, 11},
    {"EndTagClosesTwo", "<a><b></a>", 1, nullptr, 1, 1, 11},
    {"EndTagAtTopLevel", "<a/></b><c/>", 1, nullptr, 1, 1, 9},
    {"FirstTagAbsent", "<a><b/></a>", 1, "XML", 11, 0, 0},
    {"FirstTagAfterWarning", "<a>", 1, "b", 11, 0, 0},
    // Positions count characters, not bytes; a CR counts like any other character.
    {"Utf8Columns", "<a>\xC3\xA9\xE2\x82\xAC", 1, nullptr, 1, 1, 6},
    {"ShiftJisColumns", "<a>\x82\xA0\x82\xA2", 3, nullptr, 1, 1, 6},
    {"SingleByteColumns", "<a>\xC3\xA9", 2, nullptr, 1, 1, 6},
    {"CrAddsColumn", "<a>\r\n\r</b>", 1, nullptr, 6, 2, 6},
    // A lead byte at the very end stops at the terminating zero.
    {"Utf8LeadAtEnd", "<a>\xF0", 1, nullptr, 1, 1, 5},
    {"Utf8LeadBeforeEndInWord", "<a b=\xE3", 1, nullptr, 1, 1, 7},
    {"Utf8LeadInQuote", "<a b=\"\xE3", 1, nullptr, 1, 1, 8},
    {"ShiftJisLeadAtEnd", "<a>x\x81", 3, nullptr, 1, 1, 6},
    {"LeadInUnterminatedComment", "<a><!--\xEF", 1, nullptr, 7, 1, 8},
    // Nesting deeper than the limit stops at the '<' of the element one too deep, however deep
    // the input goes.
    {"TooDeep", Repeat("<a>", 300000), 1, nullptr, 8, 1, 3 * XmlMaxDepth + 1},
    {"TooDeepInstructions", Repeat("<?a?>", 300000), 1, nullptr, 8, 1, 5 * XmlMaxDepth + 1},
};

class ParseError : public ::testing::TestWithParam<ParseErrorRow> {};

TEST_P(ParseError, StopsWithCodeAtPosition) {
    const ParseErrorRow& row = GetParam();
    XmlResults results{-1, -1, -1};
    XmlNode document = ParseCopy(row.input, row.firstTag, &results, row.encoding);
    EXPECT_EQ(row.code, results.error) << ErrorText(results.error);
    EXPECT_EQ(row.line, results.line);
    EXPECT_EQ(row.column, results.column);
    // Warnings keep the tree read so far; errors release it.
    EXPECT_EQ(row.code == 1 || row.code == 2, !document.IsNull());
}

INSTANTIATE_TEST_SUITE_P(Xml, ParseError, ::testing::ValuesIn(kParseErrors),
                         [](const auto& info) { return std::string(info.param.name); });

struct TreeRow {
    const char* name;
    std::string input;
    int encoding;
    const char* firstTag;
    const char* tree;
    int code;
};

void PrintTo(const TreeRow& row, std::ostream* out) {
    *out << row.name;
}

const TreeRow kTrees[] = {
    {"EmptyElement", "<a/>", 1, nullptr, "a", 0},
    {"WhitespaceAroundIsDropped", " \n<a> \t x  y \r\n</a>\n ", 1, nullptr, "a'x  y'", 0},
    {"TextBetweenChildren", "<a>one<b/> <c/>two</a>", 1, nullptr, "a'one''two'(b c)", 0},
    {"StrayCloseAndEqualsAreText", "<a>1 > 0 = x</a>", 1, nullptr, "a'1 > 0 = x'", 0},
    {"CaseInsensitiveEndTag", "<Config></CONFIG>", 1, nullptr, "Config", 0},
    {"AttributesInOrder", "<a z=\"1\" y='2' x=3/>", 1, nullptr, "a[z=1 y=2 x=3]", 0},
    {"BareNames", "<a b c=d e>", 1, nullptr, "a[b c=d e]", 1},
    {"UnquotedValueEndsAtSlashClose", "<a b=x/>", 1, nullptr, "a[b=x]", 0},
    {"OtherQuoteIsOrdinary", "<a b=\"it's\" c='say \"hi\"'/>", 1, nullptr, "a[b=it's c=say \"hi\"]", 0},
    {"NamesKeptAsWritten", "<a B&amp;=\"v\"/>", 1, nullptr, "a[B&amp;=v]", 0},
    {"EmptyQuotedValue", "<a b=\"\"/>", 1, nullptr, "a[b=]", 0},
    // Entities: the five names in any case, decimal and hexadecimal references as one byte.
    {"AmpBetweenWords", "<a k=\"x &amp; y\"/>", 1, nullptr, "a[k=x & y]", 0},
    {"EntitiesInCapitals", "<a>&AMP;&Lt;&gT;&QUOT;&apos;</a>", 1, nullptr, "a'&<>\"''", 0},
    {"NumericReferences", "<a>&#65;&#x41;&#X4a;</a>", 1, nullptr, "a'AAJ'", 0},
    {"ReferenceKeepsLowByte", "<a>&#321;</a>", 1, nullptr, "a'A'", 0},
    {"ReferenceWithoutDigitsIsZeroByte", "<a>x&#;y</a>", 1, nullptr, "a'x'", 0},
    {"Reference233Utf8", "<a>&#233;</a>", 1, nullptr, "a'\xE9'", 0},
    {"Reference233SingleByte", "<a>&#233;</a>", 2, nullptr, "a'\xE9'", 0},
    {"Reference233ShiftJis", "<a>&#233;</a>", 3, nullptr, "a'\xE9'", 0},
    {"AmpersandInsideCharacter", "<a>\xC3&amp;</a>", 1, nullptr, "a'\xC3&amp;'", 0},
    // Clear sections keep their raw text.
    {"Comment", "<a><!-- note  --></a>", 1, nullptr, "a{ note  }", 0},
    {"Cdata", "<a><![CDATA[<b>&amp;]]></a>", 1, nullptr, "a{<b>&amp;}", 0},
    {"Pre", "<a><PRE> <b> </PRE></a>", 1, nullptr, "a{ <b> }", 0},
    {"LowerCasePreIsElement", "<a><pre>x</pre></a>", 1, nullptr, "a(pre'x')", 0},
    {"ScriptOnly", "<Script>if (a<b) x;</Script>", 1, nullptr, "#root{if (a<b) x;}", 2},
    {"Doctype", "<!DOCTYPE html><a/>", 1, nullptr, "#root{ html}(a)", 0},
    {"DoctypeSubset", "<!DOCTYPE a [<!ENTITY x \"y\">]><a/>", 1, nullptr, "#root{ a [<!ENTITY x \"y\">}(a)",
     0},
    {"TextAroundClear", "<a>x<!--c-->y</a>", 1, nullptr, "a'x''y'{c}", 0},
    // End tags close every element up to the one they name.
    {"EndTagClosesTwo", "<a><b></a>", 1, nullptr, "a(b)", 1},
    {"EndTagClosesThree", "<a><b><c>t</a><d/>", 1, nullptr, "#root(a(b(c't')) d)", 1},
    {"EndTagAtTopStopsReading", "<a/></b><c/>", 1, nullptr, "a", 1},
    {"LeftOpenKeepsContent", "<a><b>text", 1, nullptr, "a(b'text')", 1},
    // Instruction elements hold what follows them.
    {"Declaration", "<?xml version=\"1.0\"?><config/>", 1, nullptr, "?xml[version=1.0](config)", 0},
    {"DeclarationAsFirstTag", "<?xml version=\"1.0\"?>\n<config/>", 1, "XML", "?xml[version=1.0](config)", 0},
    {"DeclarationUnquoted", "<?xml version=1.0?>", 1, nullptr, "?xml[version=1.0]", 0},
    {"DeclarationBareNames", "<?xml a standalone ?>", 1, nullptr, "?xml[a standalone]", 0},
    {"QuestionMarkWordKept", "<?xml ? b?>", 1, nullptr, "?xml[? b]", 0},
    {"DeclarationClosedByEnclosingEnd", "<a><?pi x?>t</a>", 1, nullptr, "a(?pi[x]'t')", 1},
    {"FirstTagBelowDeclaration", "<?xml version=\"1.0\"?><c><x/></c>", 1, "C", "c(x)", 0},
    {"FirstTagBelowTopElement", "<root><other/><xml k=\"v\"/></root>", 1, "XML", "xml[k=v]", 0},
    {"FirstTagIsTop", "<config/>", 1, "Config", "config", 0},
    {"FirstTagThroughInstructions", "<?a?><?b?><c/>", 1, "c", "c", 0},
    {"EmptyFirstTagIgnored", "<a/>", 1, "", "a", 0},
};

class ParseTree : public ::testing::TestWithParam<TreeRow> {};

TEST_P(ParseTree, BuildsTree) {
    const TreeRow& row = GetParam();
    XmlResults results{-1, -1, -1};
    XmlNode document = ParseCopy(row.input, row.firstTag, &results, row.encoding);
    EXPECT_EQ(row.tree, Dump(document));
    EXPECT_EQ(row.code, results.error) << ErrorText(results.error);
    if (row.code == 0) {
        EXPECT_EQ(-1, results.line);  // untouched on success
    }
    EXPECT_TRUE(document.Parent().IsNull());
}

INSTANTIATE_TEST_SUITE_P(Xml, ParseTree, ::testing::ValuesIn(kTrees),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParseText, NullTextIsCode9) {
    XmlResults results{-1, -1, -1};
    EXPECT_TRUE(ParseText(nullptr, nullptr, &results).IsNull());
    EXPECT_EQ(9, results.error);
    EXPECT_EQ(0, results.line);
    EXPECT_EQ(0, results.column);
    EXPECT_TRUE(ParseText(nullptr, nullptr, nullptr).IsNull());
}

TEST(ParseText, ClearSectionsRecordTheirTags) {
    XmlNode root =
        ParseText("<!DOCTYPE a><!DOCTYPE b [<!x>]><a><!--c--><![CDATA[d]]><PRE>e</PRE><Script>f</Script></a>",
                  nullptr, nullptr);
    const char* expected[][2] = {{"<!DOCTYPE", ">"}, {"<!DOCTYPE", "]>"}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_STREQ(expected[i][0], root.ClearOpenTagAt(i));
        EXPECT_STREQ(expected[i][1], root.ClearCloseTagAt(i));
    }
    XmlNode a = root.ChildAt(0);
    const char* tags[][2] = {
        {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<PRE>", "</PRE>"}, {"<Script>", "</Script>"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(tags[i][0], a.ClearOpenTagAt(i));
        EXPECT_STREQ(tags[i][1], a.ClearCloseTagAt(i));
    }
}

TEST(ParseText, TextMayBeFreedAfterParsing) {
    std::string text = "<a b=\"v\">t<!--c--></a>";
    XmlNode a = ParseText(text.c_str(), nullptr, nullptr);
    text.assign(text.size(), 'x');
    EXPECT_EQ("a[b=v]'t'{c}", Dump(a));
}

// Lists grow in steps of 50; entries around each step must all survive, in order.
TEST(ParseText, ListsOfEverySizeKeepTheirOrder) {
    for (int count : {1, 49, 50, 51, 99, 100, 101, 1000}) {
        std::string text = "<r>";
        for (int i = 0; i < count; ++i) {
            const std::string n = std::to_string(i);
            text += "<c" + n + " a" + n + "=\"" + n + "\"/>t" + n + "<!--" + n + "-->";
        }
        XmlNode r = ParseCopy(text, nullptr, nullptr);  // left open: no trimming
        ASSERT_EQ(count, r.ChildCount());
        ASSERT_EQ(count, r.TextCount());
        ASSERT_EQ(count, r.ClearCount());
        for (int i = 0; i < count; i += 7) {
            const std::string n = std::to_string(i);
            EXPECT_EQ("c" + n + "[a" + n + "=" + n + "]", Dump(r.ChildAt(i)));
            EXPECT_EQ("t" + n, r.TextAt(i));
            EXPECT_EQ(n, r.ClearAt(i));
        }
        XmlNode closed = ParseCopy(text + "</r>", nullptr, nullptr);  // trimmed when closed
        EXPECT_EQ(Dump(r), Dump(closed));
    }
}

TEST(ParseText, NestingUpToTheLimitParsesAndReleases) {
    const std::string text = Repeat("<a>", XmlMaxDepth) + Repeat("</a>", XmlMaxDepth);
    XmlResults results{};
    XmlNode document = ParseCopy(text, nullptr, &results);
    EXPECT_EQ(0, results.error);
    XmlNode deepest = document;
    int depth = 1;
    for (; deepest.ChildCount() == 1; deepest = deepest.ChildAt(0)) {
        ++depth;
    }
    EXPECT_EQ(XmlMaxDepth, depth);
    document = XmlNode();  // frees every record above the one still held
    EXPECT_EQ("a", Dump(deepest));
    EXPECT_TRUE(deepest.Parent().IsNull());
}

}  // namespace
