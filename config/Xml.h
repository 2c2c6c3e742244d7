// The program's own XML reader: a lenient single-pass parser for configuration files and the
// read-only element tree it builds.
//
// Single-threaded: the encoding setting is process-wide, and the reference counts of a tree are
// plain integers, so all handles of one tree stay on one thread.
#pragma once

#include <string>

namespace config {

struct XmlElement;

// Handle to an element record, reference counted; the default handle is the null handle, which
// every lookup that finds nothing returns and on which every query answers null, 0 or false.
// Holding any element keeps it and its subtree readable after the rest of the tree is released
// (the memory of the whole document stays allocated until its last element goes).
class XmlNode {
public:
    XmlNode() noexcept = default;
    XmlNode(const XmlNode& other) noexcept;
    XmlNode(XmlNode&& other) noexcept;
    XmlNode& operator=(const XmlNode& other) noexcept;
    XmlNode& operator=(XmlNode&& other) noexcept;
    ~XmlNode();

    bool IsNull() const { return element_ == nullptr; }
    // The tag as written; null for the nameless document root and the null handle.
    const char* Name() const;
    bool IsInstruction() const;
    // Null once the parent record is gone.
    XmlNode Parent() const;

    int ChildCount() const;
    int TextCount() const;
    int ClearCount() const;
    int AttributeCount() const;
    // Children + texts + clear sections + attributes.
    int EntryCount() const;

    XmlNode ChildAt(int index) const;
    // Text runs, trimmed and entity-decoded.
    const char* TextAt(int index) const;
    // The raw text of a comment, CDATA, DOCTYPE, PRE or Script section, and the opener and
    // closer that delimited it.
    const char* ClearAt(int index) const;
    const char* ClearOpenTagAt(int index) const;
    const char* ClearCloseTagAt(int index) const;
    const char* AttributeNameAt(int index) const;
    // Null also for an attribute written as a bare name.
    const char* AttributeValueAt(int index) const;

    // Names compare ignoring ASCII case. With `position`, the scan starts at *position and a hit
    // stores its index + 1 there, so repeated calls walk every match.
    XmlNode FindChild(const char* name, int* position = nullptr) const;
    const char* AttributeValue(const char* name, int* position = nullptr) const;
    // The first child named `element` whose attribute `attribute` equals `value` ignoring case.
    // A child's scan stops at the first such attribute that has no value.
    XmlNode FindChildWithAttribute(const char* element, const char* attribute, const char* value) const;

private:
    friend struct XmlNodeAccess;
    XmlElement* element_ = nullptr;
};

enum XmlError : int {
    XmlErrorNone = 0,
    XmlWarningUnmatchedEndTag = 1,
    XmlWarningNoXmlTag = 2,
    XmlErrorNoData = 3,
    XmlErrorMissingStartTagName = 4,
    XmlErrorMissingEndTagName = 5,
    XmlErrorUnmatchedEndTag = 6,
    XmlErrorUnmatchedClearTagEnd = 7,
    // Also raised for an element nested deeper than XmlMaxDepth.
    XmlErrorUnexpectedToken = 8,
    XmlErrorNoElements = 9,
    // Also raised for a file that opens but cannot be read whole.
    XmlErrorFileNotFound = 10,
    XmlErrorFirstTagNotFound = 11,
    XmlErrorUnknownEntity = 12,
    XmlErrorWideCharConversion = 13,
};

// Deepest element nesting the parser accepts; it bounds the parser's stack use.
constexpr int XmlMaxDepth = 500;

enum XmlEncoding : int {
    XmlEncodingUndecided = 0,
    XmlEncodingUtf8 = 1,
    XmlEncodingSingleByte = 2,
    XmlEncodingShiftJis = 3,
};

struct XmlResults {
    int error;
    int line;    // 1-based, in characters; 0 where no position applies
    int column;  // 1-based, in characters; 0 where no position applies
};

// Parses a NUL-terminated text in the current encoding. Returns the document (its only top
// element, or else a nameless root), or with `firstTag` the first element of that name at the top
// or below leading instruction elements; the null handle on an error. Warnings 1 and 2 return the
// tree read so far. `results` may be null; for code 0 only its error field is written.
XmlNode ParseText(const char* text, const char* firstTag, XmlResults* results);

// The message of an XmlError code, "Unknown" for codes outside 0 to 19.
const char* ErrorText(int code);

// Makes UTF-8, single-byte or Shift-JIS text current for every later parse; false (and nothing
// changes) for any other value. The setting starts as UTF-8.
bool SetEncoding(int encoding);
int GetEncoding();

// Judges the encoding of a file from its first bytes: XmlEncodingUndecided for fewer than 25
// bytes, UTF-16 text or UTF-8 declared but invalid; with `useDeclaration`, the declaration's
// encoding name decides over a well-formed UTF-8 guess.
int DetectEncoding(const unsigned char* bytes, int count, bool useDeclaration);

// Largest file LoadFile reads: the host applications' configuration files are a few kilobytes and
// their largest hardware configurations well under a megabyte. A larger file is refused unread
// (code XmlErrorFileNotFound), as is anything but a regular file.
constexpr int XmlMaxFileBytes = 16 * 1024 * 1024;

// Reads and parses a whole file (UTF-16 files converted to the current encoding's family,
// byte-order marks skipped). Paths are written the Windows way.
XmlNode LoadFile(const char* path, const char* firstTag, XmlResults* results);

// Detects the file's encoding, makes it current and loads the file. On any non-zero code the
// one-line report goes into `report` (cut to `reportSize` bytes, zero-terminated) and the
// document or null handle is returned; with `report` null it is shown in a message box and the
// process exits with code 255.
XmlNode LoadFileWithReport(const char* path, const char* firstTag, char* report, int reportSize);

// LoadFileWithReport for a file its caller has opened and read itself (`bytes`, the whole file):
// `path` only names the file in the report.
XmlNode LoadBytesWithReport(const char* path, const std::string& bytes, const char* firstTag, char* report,
                            int reportSize);

}  // namespace config
