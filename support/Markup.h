// CMarkup: a small cursor over an XML document, on pugixml.
//
// The cursor has a parent element, a current element among the parent's
// children ("main position") and a current child of that element ("child
// position"). Find operations move forward from where the cursor stands and
// report whether they found a match; the document itself never changes.
#pragma once

#include <memory>
#include <string>

namespace tw {

class CMarkup {
public:
    CMarkup();
    ~CMarkup();
    CMarkup(const CMarkup&) = delete;
    CMarkup& operator=(const CMarkup&) = delete;

    // Parses `text` and puts the cursor before the document's top element.
    // False when the text is not well-formed XML (the document is then empty).
    // Character and entity references are decoded.
    bool SetDoc(const std::wstring& text);

    // Makes the next element after the main position named `name` (any
    // element when empty) the main position. The child position is reset.
    bool FindElem(const std::wstring& name = {});
    // Descends into the main position: it becomes the parent, and the cursor
    // stands before its first child. False when there is no main position.
    bool IntoElem();
    // Climbs back: the parent becomes the main position again.
    bool OutOfElem();

    // Makes the next child of the main position after the child position
    // named `name` (any element when empty) the child position. When none is
    // found the child position is cleared.
    bool FindChildElem(const std::wstring& name = {});
    // Puts the child position before the first child again.
    void ResetChildPos();

    // An attribute of the main position; empty when absent.
    std::wstring GetAttrib(const std::wstring& name) const;
    // The text of the main position / the child position; empty when there
    // is none.
    std::wstring GetData() const;
    std::wstring GetChildData() const;

private:
    struct Impl;
    std::unique_ptr<Impl> p;
};

} // namespace tw
