#include <climits>
#include <cstring>

#include "config/XmlElement.h"
#include "config/XmlEntities.h"
#include "config/XmlName.h"
#include "config/XmlParseState.h"

namespace config {

namespace {

using Kind = XmlTokenKind;

bool Fail(XmlParseState& state, int code) {
    state.error = code;
    return false;
}

char* CopyToken(XmlElement* element, const char* start, const char* end) {
    return element->arena->CopyString(start, end - start);
}

// True when the text at `position` spells the element's name (ignoring case) and the name ends
// there.
bool TagNameMatches(const char* name, const char* position) {
    if (!name) {
        return false;
    }
    size_t i = 0;
    for (; name[i] != '\0'; ++i) {
        if (FoldAscii(position[i]) != FoldAscii(name[i])) {
            return false;
        }
    }
    const char after = position[i];
    return IsXmlSpace(after) || after == '/' || after == '<' || after == '>' || after == '=';
}

// Stores the pending text up to `end`, trimmed; a run of whitespace only is dropped.
bool FlushText(XmlParseState& state, XmlElement* element, const char* end) {
    const char* start = state.pendingText;
    if (!start) {
        return true;
    }
    state.pendingText = nullptr;
    while (start < end && IsXmlSpace(*start)) {
        ++start;
    }
    if (start == end) {
        return true;
    }
    const char* last = end;
    if (IsXmlSpace(end[-1])) {
        // Trailing whitespace is found by walking characters: a space byte may belong to a
        // multi-byte character.
        for (const char* p = start; p < end;) {
            const char* next = NextChar(state.lengths, p);
            if (!IsXmlSpace(*p)) {
                last = next;
            }
            p = next;
        }
    }
    const char* text = DecodeEntities(*element->arena, state.lengths, start, last);
    if (!text) {
        return Fail(state, XmlErrorUnknownEntity);
    }
    AddText(element, text);
    return true;
}

const char* FindCloser(const XmlCharLengths& lengths, const char* from, const char* closer) {
    const size_t length = std::strlen(closer);
    for (const char* p = from; *p != '\0'; p = NextChar(lengths, p)) {
        if (*p == closer[0] && std::strncmp(p, closer, length) == 0) {
            return p;
        }
    }
    return nullptr;
}

// Stores the raw text after a clear-tag opener up to its closer. A DOCTYPE ends at its first
// '>' unless a '<' comes first, which means an internal subset that ends with "]>".
bool ReadClearSection(XmlParseState& state, XmlElement* element, const XmlClearTag& tag) {
    const char* from = state.index;
    const char* closer = tag.closer;
    if (&tag == &kDoctypeTag) {
        for (const char* p = from; *p != '<'; p = NextChar(state.lengths, p)) {
            if (*p == '\0') {
                return Fail(state, XmlErrorUnmatchedClearTagEnd);
            }
            if (*p == '>') {
                AddClear(element, CopyToken(element, from, p), tag.opener, closer);
                state.index = p + 1;
                return true;
            }
        }
        closer = "]>";
    }
    const char* end = FindCloser(state.lengths, from, closer);
    if (!end) {
        return Fail(state, XmlErrorUnmatchedClearTagEnd);
    }
    AddClear(element, CopyToken(element, from, end), tag.opener, closer);
    state.index = end + std::strlen(closer);
    return true;
}

// Adds the last name of a start tag as an attribute without value; an instruction's closing '?'
// is not part of it.
void AddLastBareName(XmlElement* element, const XmlToken& name) {
    const char* end = name.end;
    if (element->instruction && end[-1] == '?') {
        --end;
    }
    if (end > name.start) {
        AddAttribute(element, CopyToken(element, name.start, end), nullptr);
    }
}

bool AddValuedAttribute(XmlParseState& state, XmlElement* element, const XmlToken& name,
                        const XmlToken& value) {
    const char* start = value.start;
    const char* end = value.end;
    if (element->instruction && end[-1] == '?') {
        --end;
    }
    if (value.kind == Kind::Quoted) {
        ++start;
        --end;
    }
    const char* decoded = DecodeEntities(*element->arena, state.lengths, start, end);
    if (!decoded) {
        return Fail(state, XmlErrorUnknownEntity);
    }
    AddAttribute(element, CopyToken(element, name.start, name.end), decoded);
    return true;
}

bool ParseContent(XmlParseState& state, XmlElement* element);

// After "<" or "<?" in content: reads the child's name and the child. False stops the parse.
bool ParseChild(XmlParseState& state, XmlElement* element, const XmlToken& open) {
    const XmlToken name = NextToken(state);
    if (name.kind != Kind::Word) {
        return Fail(state, XmlErrorMissingStartTagName);
    }
    // The parser recurses once per open element; the limit keeps hostile nesting off the stack.
    if (state.depth == XmlMaxDepth) {
        state.index = open.start;
        return Fail(state, XmlErrorUnexpectedToken);
    }
    XmlElement* child =
        AddChild(element, CopyToken(element, name.start, name.end), open.kind == Kind::OpenInstruction);
    ++state.depth;
    const bool closed = ParseContent(state, child);
    --state.depth;
    return closed;
}

// After "</" in content: the end tag closes this element, and when it names another one, it
// stays pending for the enclosing elements.
bool ParseEndTag(XmlParseState& state, XmlElement* element) {
    const XmlToken name = NextToken(state);
    if (name.kind != Kind::Word || NextToken(state).kind != Kind::Close) {
        return Fail(state, XmlErrorMissingEndTagName);
    }
    state.pendingText = state.index;
    if (!TagNameMatches(element->name, name.start)) {
        state.error = XmlWarningUnmatchedEndTag;
        state.warningIndex = state.index;
        state.pendingEndTag = name.start;
    }
    TrimLists(element);
    return true;
}

// Reads one element's start tag (unless it is the document root) and content. True when the
// element was closed, false when the parse must stop.
bool ParseContent(XmlParseState& state, XmlElement* element) {
    bool inContent = state.firstCall;
    state.firstCall = false;
    int attributeStep = 0;
    XmlToken name{};
    for (;;) {
        const XmlToken token = NextToken(state);
        if (token.kind == Kind::End) {
            if (!element->instruction && element->parent) {
                state.error = XmlWarningUnmatchedEndTag;
                state.warningIndex = state.index;
            }
            FlushText(state, element, state.index);
            return false;
        }
        if (inContent) {
            switch (token.kind) {
                case Kind::Open:
                case Kind::OpenInstruction:
                    if (!FlushText(state, element, token.start) || !ParseChild(state, element, token)) {
                        return false;
                    }
                    if (!state.pendingEndTag) {
                        break;
                    }
                    if (!element->name) {
                        return Fail(state, XmlErrorUnmatchedEndTag);
                    }
                    if (TagNameMatches(element->name, state.pendingEndTag)) {
                        state.pendingEndTag = nullptr;
                    }
                    return true;
                case Kind::OpenEnd:
                    return FlushText(state, element, token.start) && ParseEndTag(state, element);
                case Kind::Clear:
                    if (!FlushText(state, element, token.start) ||
                        !ReadClearSection(state, element, *token.clearTag)) {
                        return false;
                    }
                    state.pendingText = state.index;
                    break;
                default:
                    break;  // part of the pending text
            }
            continue;
        }
        if (attributeStep == 2) {
            if (token.kind != Kind::Word && token.kind != Kind::Quoted) {
                return Fail(state, XmlErrorUnexpectedToken);
            }
            if (!AddValuedAttribute(state, element, name, token)) {
                return false;
            }
            attributeStep = 0;
        } else if (token.kind == Kind::Word) {
            if (attributeStep == 1) {
                AddAttribute(element, CopyToken(element, name.start, name.end), nullptr);
            }
            name = token;
            attributeStep = 1;
        } else if (token.kind == Kind::Equals && attributeStep == 1) {
            attributeStep = 2;
        } else if (token.kind == Kind::Close || token.kind == Kind::CloseEmpty) {
            state.pendingText = state.index;
            if (attributeStep == 1) {
                AddLastBareName(element, name);
            }
            if (token.kind == Kind::CloseEmpty) {
                TrimLists(element);
                return true;
            }
            inContent = true;
        } else {
            return Fail(state, XmlErrorUnexpectedToken);
        }
    }
}

int ClampToInt(long long value) {
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

// Line and column of `position`, counted in characters from 1; an LF starts a new line.
void Locate(const XmlParseState& state, const char* position, XmlResults* results) {
    long long line = 1;
    long long column = 1;
    for (const char* p = state.text; p < position && *p != '\0'; p = NextChar(state.lengths, p)) {
        if (*p == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    results->line = ClampToInt(line);
    results->column = ClampToInt(column);
}

// The first element named `firstTag` at the top of `document` or below its leading instruction
// elements; null when there is none.
XmlElement* FindFirstTag(XmlElement* document, const char* firstTag) {
    if (document->name && EqualIgnoringCase(document->name, firstTag)) {
        return document;
    }
    for (int i = 0; i < document->childCount; ++i) {
        XmlElement* child = document->children[i];
        if (EqualIgnoringCase(child->name, firstTag)) {
            return child;
        }
        if (child->instruction) {
            document = child;
            i = -1;
        }
    }
    return nullptr;
}

void SetResults(XmlResults* results, int error, int line, int column) {
    if (results) {
        *results = {error, line, column};
    }
}

}  // namespace

XmlNode ParseText(const char* text, const char* firstTag, XmlResults* results) {
    if (!text) {
        SetResults(results, XmlErrorNoElements, 0, 0);
        return XmlNode();
    }
    XmlElement* root = CreateDocumentRoot();
    XmlParseState state{text, text, text, nullptr, XmlErrorNone, nullptr, true, 0, CurrentCharLengths()};
    ParseContent(state, root);

    int error = state.error;
    if (root->childCount == 0) {
        error = XmlWarningNoXmlTag;
    }
    XmlNode document = XmlNodeAccess::Adopt(root);
    if (root->childCount == 1 && document.EntryCount() == 1) {
        document = document.ChildAt(0);
    }
    if (error != XmlErrorNone && error != XmlWarningUnmatchedEndTag && error != XmlWarningNoXmlTag) {
        document = XmlNode();
    } else if (firstTag && *firstTag != '\0') {
        XmlElement* found = FindFirstTag(XmlNodeAccess::Get(document), firstTag);
        if (!found) {
            SetResults(results, XmlErrorFirstTagNotFound, 0, 0);
            return XmlNode();
        }
        ++found->references;
        document = XmlNodeAccess::Adopt(found);
    }
    if (results) {
        results->error = error;
        if (error != XmlErrorNone) {
            Locate(state, error == XmlWarningUnmatchedEndTag ? state.warningIndex : state.index, results);
        }
    }
    return document;
}

}  // namespace config
