// The element record behind XmlNode and the operations the parser builds a tree with.
#pragma once

#include "config/Xml.h"
#include "config/XmlArena.h"

namespace config {

struct XmlAttribute {
    const char* name;
    const char* value;  // null for a bare name
};

struct XmlClear {
    const char* value;
    const char* openTag;  // constant strings of the clear-tag table
    const char* closeTag;
};

// Names and strings live in the arena; the four lists are malloc'd, start with room for 50
// entries, grow by 50 and are cut to size by TrimLists.
struct XmlElement {
    const char* name;  // null only for the document root
    int childCount;
    int textCount;
    int clearCount;
    int attributeCount;
    bool instruction;
    bool trimmed;           // no entry may be added after TrimLists
    XmlElement* parent;     // not owning; cleared when the parent goes
    XmlElement** children;  // each holds one reference
    const char** texts;
    XmlClear* clears;
    XmlAttribute* attributes;
    int references;
    XmlArena* arena;
};

// A nameless document root in a fresh arena, with one reference for the caller.
XmlElement* CreateDocumentRoot();
// Appends a child named `name` (an arena string) and returns it; the parent holds its only
// reference.
XmlElement* AddChild(XmlElement* parent, const char* name, bool instruction);
void AddAttribute(XmlElement* element, const char* name, const char* value);
void AddText(XmlElement* element, const char* text);
void AddClear(XmlElement* element, const char* value, const char* openTag, const char* closeTag);
void TrimLists(XmlElement* element);

// Drops one reference; the last one frees the record and releases its children, iteratively,
// so that no depth of tree can exhaust the stack.
void ReleaseElement(XmlElement* element);

struct XmlNodeAccess {
    // Wraps `element`, taking over one reference the caller owned.
    static XmlNode Adopt(XmlElement* element) {
        XmlNode node;
        node.element_ = element;
        return node;
    }
    static XmlElement* Get(const XmlNode& node) { return node.element_; }
};

}  // namespace config
