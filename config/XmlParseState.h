// The cursor of one parse and the tokens the parser reads with it.
#pragma once

#include "config/XmlEncoding.h"

namespace config {

struct XmlClearTag {
    const char* opener;
    int openerLength;
    const char* closer;
};

struct XmlParseState {
    const char* text;
    const char* pendingText;   // start of text not yet stored, or null
    const char* index;         // next character to read
    const char* warningIndex;  // position recorded with warning 1
    int error;
    const char* pendingEndTag;  // name of an end tag still looking for its element, or null
    bool firstCall;
    int depth;  // open elements below the document root
    const XmlCharLengths& lengths;
};

enum class XmlTokenKind {
    Word,
    Quoted,
    Open,
    OpenEnd,
    OpenInstruction,
    Close,
    CloseEmpty,
    Equals,
    Clear,
    End
};

struct XmlToken {
    XmlTokenKind kind;
    const char* start;
    const char* end;
    const XmlClearTag* clearTag;  // for Clear
};

// Reads the next token at the state's index and moves the index past it.
XmlToken NextToken(XmlParseState& state);

// The "<!DOCTYPE" row, whose closer depends on an internal subset.
extern const XmlClearTag& kDoctypeTag;

}  // namespace config
