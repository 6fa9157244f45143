// A small, forgiving reader of XML text into a tree of element nodes.
//
// It reads one element (with everything nested in it) from the first "<" of a
// text: no validation, no namespaces, no DTDs. Its rules are its own and
// simpler than XML's:
//  - a backslash escapes the next character in names, values and text (it is
//    dropped and the next character kept whatever it is);
//  - the five predefined entity references (&amp; &quot; &apos; &lt; &gt;) are
//    decoded in attribute values and element text, in one pass; others stay;
//  - an element's value is its first non-blank run of text; later text is
//    ignored;
//  - processing instructions make no node; comments and CDATA sections inside
//    an element become "#COMMENT" and "#CDATA" children;
//  - end tags missing at the very end of the text are tolerated.
// Every failure is a null result, never an exception; a text that ends inside
// a comment, a processing instruction, a CDATA section or a quoted value
// fails at the end of the text.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

struct CXmlNode;

struct CXmlAttribute {
    std::wstring name;
    std::wstring value;        // escapes removed, entity references decoded
    CXmlNode* owner = nullptr; // the element that holds it
};

enum XmlNodeType : int {
    kXmlElement = 0,
    kXmlProcessingInstruction = 1,
    kXmlComment = 2,
    kXmlCData = 3,
    kXmlDocument = 4,
};

struct CXmlNode {
    std::wstring name;  // "#COMMENT" or "#CDATA" for those nodes; empty while unparsed
    std::wstring value; // the element's text, or a comment's or CDATA section's content
    CXmlNode* parent = nullptr;
    std::vector<std::unique_ptr<CXmlNode>> children; // in document order
    std::vector<CXmlAttribute> attributes;           // in document order, duplicates kept
    int type = kXmlElement;
    CXmlNode* document = nullptr; // unused here: always null
};

struct XmlEntity {
    std::wstring_view ref; // "&amp;"
    wchar_t ch;            // '&'
};

// Error codes a parse records.
enum XmlError : int {
    kXmlErrorNone = 0,
    kXmlErrorUnclosedEmptyElement = 1, // "/" in a start tag not followed by ">"
    kXmlErrorUnterminatedEndTag = 2,   // an end-tag name that nothing ends
    kXmlErrorMismatchedEndTag = 3,     // an end tag of another element
    kXmlErrorBadAttribute = 4,         // an attribute name that nothing ends
    kXmlErrorTooDeep = 5,              // elements nested deeper than kXmlMaxDepth
};

// Elements nested deeper than this fail the parse (the reader is recursive).
inline constexpr int kXmlMaxDepth = 256;

// The reader's fixed settings and the first error of the parses that share
// the record. Once an error is recorded later ones leave the record as it is.
struct XmlParseSettings {
    static constexpr std::array<XmlEntity, 5> kEntities = {{
        {L"&amp;", L'&'},
        {L"&quot;", L'"'},
        {L"&apos;", L'\''},
        {L"&lt;", L'<'},
        {L"&gt;", L'>'},
    }};
    static constexpr wchar_t kEscape = L'\\';

    bool bErrorOccur = false;
    std::size_t nErrorPos = 0; // offset into the parsed text
    int nErrorCode = kXmlErrorNone;
    std::wstring strError;
};

// The record that Parse(node, text) uses; one per thread.
XmlParseSettings& SharedXmlParseSettings();

// Clears `node` (children and attributes only) and reads one element from the
// first "<" of `text` into it. Returns the position just after the element,
// or null on failure; the partly built tree then stays in the node. An end
// tag where an element was expected returns its position and leaves the node
// nameless. A node parsed again keeps its old name when the new element has
// none and its old value when that value is not blank.
const wchar_t* Parse(CXmlNode& node, std::wstring_view text);
const wchar_t* Parse(CXmlNode& node, std::wstring_view text, XmlParseSettings& settings);

// Destroys the node's children and attributes; keeps its name and value.
void Clear(CXmlNode& node);

// The first attribute named exactly `name`, or null.
const CXmlAttribute* FindAttribute(const CXmlNode& node, std::wstring_view name);

// The value of the first attribute named `name`, or an empty string.
std::wstring_view AttributeValue(const CXmlNode& node, std::wstring_view name);

} // namespace tw
