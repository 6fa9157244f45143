#include "parsing/XmlDocument.h"

#include "support/TextUtil.h"

namespace tw {

namespace {

constexpr std::size_t kNpos = std::wstring_view::npos;

bool IsXmlSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsSpaceOrClose(wchar_t c) {
    return IsXmlSpace(c) || c == L'>';
}

bool IsBlank(const std::wstring& s) {
    for (wchar_t c : s) {
        if (!IsXmlSpace(c))
            return false;
    }
    return true;
}

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Decodes the predefined entity references in one left-to-right pass; the
// output is not scanned again ("&amp;lt;" gives "&lt;").
std::wstring DecodeEntities(std::wstring_view s) {
    if (s.find(L'&') == kNpos)
        return std::wstring(s);
    std::wstring out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] == L'&') {
            bool decoded = false;
            for (const XmlEntity& e : XmlParseSettings::kEntities) {
                if (s.compare(i, e.ref.size(), e.ref) == 0) {
                    out.push_back(e.ch);
                    i += e.ref.size();
                    decoded = true;
                    break;
                }
            }
            if (decoded)
                continue;
        }
        out.push_back(s[i++]);
    }
    return out;
}

class CXmlReader {
public:
    CXmlReader(std::wstring_view text, XmlParseSettings& settings) : t_(text), s_(settings) {}

    // Reads one element from `pos` into `node`; the position after it, or
    // kNpos on failure.
    std::size_t ParseNode(CXmlNode& node, std::size_t pos, int depth);

private:
    enum class Special { None, Ended, Failed };

    std::wstring_view t_;
    XmlParseSettings& s_;

    void Error(int code, std::size_t pos, std::wstring message) {
        if (s_.bErrorOccur)
            return;
        s_.bErrorOccur = true;
        s_.nErrorPos = pos;
        s_.nErrorCode = code;
        s_.strError = std::move(message);
    }

    bool At(std::size_t p, std::wstring_view s) const {
        return p <= t_.size() && t_.size() - p >= s.size() && t_.compare(p, s.size(), s) == 0;
    }
    bool AtNoCase(std::size_t p, std::wstring_view s) const {
        if (p > t_.size() || t_.size() - p < s.size())
            return false;
        for (std::size_t k = 0; k < s.size(); ++k) {
            if (AsciiLower(t_[p + k]) != AsciiLower(s[k]))
                return false;
        }
        return true;
    }
    // The first position from `p` on whose character satisfies `pred`.
    template <class Pred> std::size_t FindFirst(std::size_t p, Pred pred) const {
        for (; p < t_.size(); ++p) {
            if (pred(t_[p]))
                return p;
        }
        return kNpos;
    }
    std::size_t SkipSpace(std::size_t p) const {
        while (p < t_.size() && IsXmlSpace(t_[p]))
            ++p;
        return p;
    }

    // Copies [b, e) into `out`, dropping each unescaped backslash and keeping
    // the character after it; decodes entities when asked. An empty range
    // leaves `out` unchanged.
    void CopyRange(std::size_t b, std::size_t e, std::wstring& out, bool decode) const;

    // Finds `term` from `from` on. Backslashes are skipped: they never start a
    // match and do not break one. Sets [matchBegin, matchEnd); false when the
    // text ends first.
    bool FindTerminator(std::size_t from, std::wstring_view term, std::size_t& matchBegin,
                        std::size_t& matchEnd) const;

    // Skips processing instructions, comments and CDATA sections before an
    // element. A comment or CDATA section inside an element becomes a child of
    // that element and ends `node`'s parse (Ended).
    Special SkipSpecials(CXmlNode& node, std::size_t& p);

    // Reads element text from `p` up to the first unescaped "<" or the end;
    // returns that position.
    std::size_t ReadText(CXmlNode& node, std::size_t p) const;

    // Reads the attributes of a start tag; the position of the ">" or "/"
    // that ends them, or kNpos.
    std::size_t ReadAttributes(CXmlNode& node, std::size_t p);
};

void CXmlReader::CopyRange(std::size_t b, std::size_t e, std::wstring& out, bool decode) const {
    if (b >= e)
        return;
    std::wstring_view range = t_.substr(b, e - b);
    std::wstring plain;
    if (range.find(XmlParseSettings::kEscape) == kNpos) {
        plain.assign(range);
    } else {
        plain.reserve(range.size());
        for (std::size_t i = 0; i < range.size(); ++i) {
            if (range[i] == XmlParseSettings::kEscape) {
                if (i + 1 < range.size())
                    plain.push_back(range[++i]);
                continue;
            }
            plain.push_back(range[i]);
        }
    }
    out = decode ? DecodeEntities(plain) : std::move(plain);
}

bool CXmlReader::FindTerminator(std::size_t from, std::wstring_view term, std::size_t& matchBegin,
                                std::size_t& matchEnd) const {
    // A window over the last term.size() characters that are not backslashes.
    constexpr std::size_t kMaxTerm = 4;
    const std::size_t m = term.size();
    if (m == 0 || m > kMaxTerm)
        return false;
    std::size_t pos[kMaxTerm];
    wchar_t ch[kMaxTerm];
    std::size_t count = 0;
    for (std::size_t i = from; i < t_.size(); ++i) {
        const wchar_t c = t_[i];
        if (c == XmlParseSettings::kEscape)
            continue;
        if (count == m) {
            for (std::size_t k = 1; k < m; ++k) {
                pos[k - 1] = pos[k];
                ch[k - 1] = ch[k];
            }
            --count;
        }
        pos[count] = i;
        ch[count] = c;
        ++count;
        if (count < m)
            continue;
        bool match = true;
        for (std::size_t k = 0; k < m && match; ++k)
            match = AsciiLower(ch[k]) == AsciiLower(term[k]);
        if (match) {
            matchBegin = pos[0];
            matchEnd = i + 1;
            return true;
        }
    }
    return false;
}

CXmlReader::Special CXmlReader::SkipSpecials(CXmlNode& node, std::size_t& p) {
    for (;;) {
        const std::size_t start = p;
        std::size_t mb = 0, me = 0;
        p = SkipSpace(p);
        if (At(p, L"<?")) {
            if (!FindTerminator(p + 2, L"?>", mb, me))
                return Special::Failed;
            p = me;
        }
        p = SkipSpace(p);
        int type = kXmlElement;
        std::size_t open = 0;
        std::wstring_view term;
        if (At(p, L"<!--")) {
            type = kXmlComment;
            open = 4;
            term = L"-->";
        } else if (AtNoCase(p, L"<![CDATA[")) {
            type = kXmlCData;
            open = 9;
            term = L"]]>";
        }
        if (type != kXmlElement) {
            if (!FindTerminator(p + open, term, mb, me))
                return Special::Failed;
            if (node.parent) {
                auto section = std::make_unique<CXmlNode>();
                section->type = type;
                section->name = type == kXmlComment ? L"#COMMENT" : L"#CDATA";
                section->value.assign(t_.substr(p + open, mb - (p + open)));
                section->parent = node.parent;
                section->document = node.document;
                node.parent->children.push_back(std::move(section));
                p = me;
                return Special::Ended;
            }
            p = me;
        }
        if (p == start)
            return Special::None;
    }
}

std::size_t CXmlReader::ReadText(CXmlNode& node, std::size_t p) const {
    std::size_t q = p;
    while (q < t_.size() && t_[q] != L'<')
        q += t_[q] == XmlParseSettings::kEscape ? 2 : 1;
    if (q > t_.size())
        q = t_.size();
    CopyRange(p, q, node.value, true);
    return q;
}

std::size_t CXmlReader::ReadAttributes(CXmlNode& node, std::size_t p) {
    const std::size_t n = t_.size();
    for (;;) {
        if (p >= n)
            return kNpos;
        p = SkipSpace(p);
        if (p < n && (t_[p] == L'>' || t_[p] == L'/'))
            return p;
        // The name ends at a blank or "=", and also at the ">" or "/" of a
        // lone attribute that ends the tag.
        std::size_t e = FindFirst(
            p, [](wchar_t c) { return IsXmlSpace(c) || c == L'=' || c == L'>' || c == L'/'; });
        if (e == kNpos) {
            Error(kXmlErrorBadAttribute, p,
                  Format(L"<%ls> attribute has error ", node.name.c_str()));
            return kNpos;
        }
        if (node.attributes.empty())
            node.attributes.reserve(8);
        node.attributes.push_back(CXmlAttribute{std::wstring(t_.substr(p, e - p)), {}, &node});
        p = SkipSpace(e);
        if (p >= n || t_[p] != L'=')
            continue; // a lone name: the value stays empty
        p = SkipSpace(p + 1);
        std::size_t b = p, end = p;
        if (p < n && (t_[p] == L'"' || t_[p] == L'\'')) {
            const wchar_t quote = t_[p];
            b = end = p + 1;
            while (end < n && t_[end] != quote)
                end += t_[end] == XmlParseSettings::kEscape ? 2 : 1;
            if (end >= n)
                return kNpos; // the text ends inside the quoted value
            p = end + 1;
        } else {
            end = FindFirst(p, IsSpaceOrClose);
            if (end == kNpos)
                end = n;
            p = end;
        }
        CopyRange(b, end, node.attributes.back().value, true);
    }
}

std::size_t CXmlReader::ParseNode(CXmlNode& node, std::size_t pos, int depth) {
    Clear(node);
    const std::size_t n = t_.size();
    std::size_t p = pos;
    for (;;) {
        p = t_.find(L'<', p);
        if (p == kNpos)
            return kNpos;
        if (p + 1 < n && t_[p + 1] == L'/')
            return p; // an end tag: the enclosing element's
        Special s = SkipSpecials(node, p);
        if (s == Special::Failed)
            return kNpos;
        if (s == Special::Ended)
            return p;
        if (p < n && t_[p] == L'<' && !(p + 1 < n && t_[p + 1] == L'/'))
            break;
        // Text or an end tag after a processing instruction: look again.
    }
    if (depth > kXmlMaxDepth) {
        Error(kXmlErrorTooDeep, p, L"Elements are nested too deeply.");
        return kNpos;
    }

    const std::size_t nameBegin = p + 1;
    std::size_t nameEnd =
        FindFirst(nameBegin, [](wchar_t c) { return IsSpaceOrClose(c) || c == L'/'; });
    if (nameEnd == kNpos)
        nameEnd = n;
    CopyRange(nameBegin, nameEnd, node.name, false);

    p = ReadAttributes(node, nameEnd);
    if (p == kNpos)
        return kNpos;
    if (t_[p] == L'/') {
        if (p + 1 < n && t_[p + 1] == L'>')
            return p + 2; // an empty element
        Error(kXmlErrorUnclosedEmptyElement, p, L"Element must be closed.");
        return kNpos;
    }
    ++p; // after ">"
    if (IsBlank(node.value))
        p = ReadText(node, p);

    while (p < n) {
        auto child = std::make_unique<CXmlNode>();
        child->parent = &node;
        child->document = node.document;
        child->type = node.type;
        const std::size_t r = ParseNode(*child, p, depth + 1);
        if (!child->name.empty())
            node.children.push_back(std::move(child));
        if (r == kNpos)
            return kNpos;
        p = r;
        if (p + 1 < n && t_[p] == L'<' && t_[p + 1] == L'/') {
            const std::size_t q = SkipSpace(p + 2);
            const std::size_t e = FindFirst(q, IsSpaceOrClose);
            if (e == kNpos) {
                Error(kXmlErrorUnterminatedEndTag, p,
                      Format(L"it must be closed with </%ls>", node.name.c_str()));
                return kNpos;
            }
            const std::wstring_view endName = t_.substr(q, e - q);
            if (endName == node.name)
                return e + 1;
            Error(kXmlErrorMismatchedEndTag, p,
                  Format(L"'<%ls> ... </%ls>' is not wel-formed.", node.name.c_str(),
                         std::wstring(endName).c_str()));
            return kNpos;
        }
        if (IsBlank(node.value) && p < n && t_[p] != L'<')
            p = ReadText(node, p);
    }
    // The text ended inside the element: missing end tags at the very end of
    // the text are tolerated.
    return n;
}

} // namespace

XmlParseSettings& SharedXmlParseSettings() {
    thread_local XmlParseSettings settings;
    return settings;
}

const wchar_t* Parse(CXmlNode& node, std::wstring_view text) {
    return Parse(node, text, SharedXmlParseSettings());
}

const wchar_t* Parse(CXmlNode& node, std::wstring_view text, XmlParseSettings& settings) {
    CXmlReader reader(text, settings);
    const std::size_t end = reader.ParseNode(node, 0, 0);
    if (end == kNpos)
        return nullptr;
    return text.data() + end;
}

void Clear(CXmlNode& node) {
    node.children.clear();
    node.attributes.clear();
}

const CXmlAttribute* FindAttribute(const CXmlNode& node, std::wstring_view name) {
    for (const CXmlAttribute& a : node.attributes) {
        if (a.name == name)
            return &a;
    }
    return nullptr;
}

std::wstring_view AttributeValue(const CXmlNode& node, std::wstring_view name) {
    const CXmlAttribute* a = FindAttribute(node, name);
    return a ? std::wstring_view(a->value) : std::wstring_view();
}

} // namespace tw
