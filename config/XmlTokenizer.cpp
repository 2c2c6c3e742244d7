#include <array>

#include "config/XmlParseState.h"

namespace config {

namespace {

// Openers match byte for byte, with case, in this order.
constexpr XmlClearTag kClearTags[] = {
    {"<![CDATA[", 9, "]]>"},      {"<!DOCTYPE", 9, ">"}, {"<PRE>", 5, "</PRE>"},
    {"<Script>", 8, "</Script>"}, {"<!--", 4, "-->"},
};

// True when `p` begins with `opener`; stops at the first difference, so never passes the end.
bool StartsWith(const char* p, const char* opener) {
    for (; *opener != '\0'; ++p, ++opener) {
        if (*p != *opener) {
            return false;
        }
    }
    return true;
}

const XmlClearTag* FindClearTag(const char* p) {
    // Openers differ by their second byte, and after "<!" by their third, so at most one
    // matches and the table's order needs no scan.
    const XmlClearTag* tag = nullptr;
    switch (p[1]) {
        case '!':
            tag = p[2] == '[' ? &kClearTags[0] : p[2] == 'D' ? &kClearTags[1] : &kClearTags[4];
            break;
        case 'P':
            tag = &kClearTags[2];
            break;
        case 'S':
            tag = &kClearTags[3];
            break;
        default:
            return nullptr;
    }
    return StartsWith(p, tag->opener) ? tag : nullptr;
}

XmlToken Make(XmlParseState& state, XmlTokenKind kind, const char* start, int length) {
    state.index = start + length;
    return {kind, start, start + length, nullptr};
}

// Bytes that may end a word: whitespace, '<', '>', '=', '/' (before '>') and the zero byte.
constexpr std::array<bool, 256> WordStops() {
    std::array<bool, 256> stops{};
    for (unsigned char c : {'\0', ' ', '\t', '\n', '\r', '<', '>', '=', '/'}) {
        stops[c] = true;
    }
    return stops;
}

constexpr std::array<bool, 256> kWordStops = WordStops();

// A word ends before whitespace (which is consumed), '<', '>', '=', "/>" or the end of the text.
XmlToken ReadWord(XmlParseState& state, const char* start) {
    const XmlCharLengths& lengths = state.lengths;
    const char* p = start;
    for (;; p = NextChar(lengths, p)) {
        const char c = *p;
        if (!kWordStops[static_cast<unsigned char>(c)] || (c == '/' && p[1] != '>')) {
            continue;
        }
        state.index = IsXmlSpace(c) ? p + 1 : p;
        return {XmlTokenKind::Word, start, p, nullptr};
    }
}

// A quote runs to the same quote character; met first by '<' or the end of the text, it is
// unterminated and the token is read as a word that starts with the quote.
XmlToken ReadQuoted(XmlParseState& state, const char* start) {
    const XmlCharLengths& lengths = state.lengths;
    const char quote = *start;
    for (const char* p = start + 1;; p = NextChar(lengths, p)) {
        if (*p == quote) {
            state.index = p + 1;
            return {XmlTokenKind::Quoted, start, p + 1, nullptr};
        }
        if (*p == '\0' || *p == '<') {
            return ReadWord(state, start);
        }
    }
}

}  // namespace

const XmlClearTag& kDoctypeTag = kClearTags[1];

XmlToken NextToken(XmlParseState& state) {
    const char* start = state.index;
    while (IsXmlSpace(*start)) {
        ++start;
    }
    switch (*start) {
        case '\0':
            state.index = start;
            return {XmlTokenKind::End, start, start, nullptr};
        case '"':
        case '\'':
            return ReadQuoted(state, start);
        case '<':
            if (const XmlClearTag* tag = FindClearTag(start)) {
                state.index = start + tag->openerLength;
                return {XmlTokenKind::Clear, start, state.index, tag};
            }
            if (start[1] == '/') {
                return Make(state, XmlTokenKind::OpenEnd, start, 2);
            }
            if (start[1] == '?') {
                return Make(state, XmlTokenKind::OpenInstruction, start, 2);
            }
            return Make(state, XmlTokenKind::Open, start, 1);
        case '>':
            return Make(state, XmlTokenKind::Close, start, 1);
        case '=':
            return Make(state, XmlTokenKind::Equals, start, 1);
        case '/':
            if (start[1] == '>') {
                return Make(state, XmlTokenKind::CloseEmpty, start, 2);
            }
            return ReadWord(state, start);
        default:
            return ReadWord(state, start);
    }
}

}  // namespace config
