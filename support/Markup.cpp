#include "support/Markup.h"

#include "support/TextUtil.h"

#include <pugixml.hpp>

namespace tw {

struct CMarkup::Impl {
    pugi::xml_document doc;
    pugi::xml_node parent;  // whose children the main position walks
    pugi::xml_node current; // the main position; null before the first find
    pugi::xml_node child;   // the child position; null before the first find
};

namespace {

bool Matches(const pugi::xml_node& node, const std::string& name) {
    return node.type() == pugi::node_element && (name.empty() || name == node.name());
}

pugi::xml_node NextMatch(pugi::xml_node from, bool first, const pugi::xml_node& parent,
                         const std::string& name) {
    pugi::xml_node n = first ? parent.first_child() : from.next_sibling();
    for (; n; n = n.next_sibling()) {
        if (Matches(n, name))
            return n;
    }
    return {};
}

std::wstring TextOf(const pugi::xml_node& node) {
    if (!node)
        return {};
    return FromUtf8(node.text().get());
}

} // namespace

CMarkup::CMarkup() : p(std::make_unique<Impl>()) {}
CMarkup::~CMarkup() = default;

bool CMarkup::SetDoc(const std::wstring& text) {
    const std::string utf8 = ToUtf8(text);
    const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single;
    pugi::xml_parse_result result =
        p->doc.load_buffer(utf8.data(), utf8.size(), options, pugi::encoding_utf8);
    if (!result)
        p->doc.reset();
    p->parent = p->doc;
    p->current = pugi::xml_node();
    p->child = pugi::xml_node();
    return static_cast<bool>(result);
}

bool CMarkup::FindElem(const std::wstring& name) {
    pugi::xml_node found = NextMatch(p->current, !p->current, p->parent, ToUtf8(name));
    if (!found)
        return false;
    p->current = found;
    p->child = pugi::xml_node();
    return true;
}

bool CMarkup::IntoElem() {
    if (!p->current)
        return false;
    p->parent = p->current;
    p->current = pugi::xml_node();
    p->child = pugi::xml_node();
    return true;
}

bool CMarkup::OutOfElem() {
    if (p->parent == p->doc)
        return false;
    p->current = p->parent;
    p->parent = p->parent.parent();
    p->child = pugi::xml_node();
    return true;
}

bool CMarkup::FindChildElem(const std::wstring& name) {
    if (!p->current)
        return false;
    p->child = NextMatch(p->child, !p->child, p->current, ToUtf8(name));
    return static_cast<bool>(p->child);
}

void CMarkup::ResetChildPos() {
    p->child = pugi::xml_node();
}

std::wstring CMarkup::GetAttrib(const std::wstring& name) const {
    if (!p->current)
        return {};
    return FromUtf8(p->current.attribute(ToUtf8(name).c_str()).value());
}

std::wstring CMarkup::GetData() const {
    return TextOf(p->current);
}

std::wstring CMarkup::GetChildData() const {
    return TextOf(p->child);
}

} // namespace tw
