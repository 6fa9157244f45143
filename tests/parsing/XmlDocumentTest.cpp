#include "parsing/XmlDocument.h"

#include <gtest/gtest.h>

#include <random>

using namespace tw;

namespace {

// Parses `text` into `node` with a fresh error record; true on success.
bool ParseOk(CXmlNode& node, std::wstring_view text, XmlParseSettings* settings = nullptr) {
    XmlParseSettings local;
    return Parse(node, text, settings ? *settings : local) != nullptr;
}

int ErrorOf(std::wstring_view text, std::wstring* message = nullptr) {
    CXmlNode node;
    XmlParseSettings settings;
    EXPECT_EQ(Parse(node, text, settings), nullptr) << "expected a failure";
    if (message)
        *message = settings.strError;
    return settings.nErrorCode;
}

} // namespace

TEST(XmlDocument, ReadsElementsAttributesAndEntities) {
    CXmlNode root;
    const std::wstring text = L"<?xml version=\"1.0\" encoding=\"utf - 8\"?>"
                              L"<players><player/><player name=\"B&amp;C\" seat = '2' "
                              L"tag=a&lt;b note=\"&amp;lt; &#38; &AMP;\"/></players>";
    const wchar_t* end = Parse(root, text);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end, text.data() + text.size());
    EXPECT_EQ(root.name, L"players");
    ASSERT_EQ(root.children.size(), 2u);
    const CXmlNode& second = *root.children[1];
    EXPECT_EQ(second.name, L"player");
    EXPECT_EQ(second.parent, &root);
    EXPECT_EQ(AttributeValue(second, L"name"), L"B&C");
    EXPECT_EQ(AttributeValue(second, L"seat"), L"2");
    EXPECT_EQ(AttributeValue(second, L"tag"), L"a<b");
    // One decoding pass; other references stay as written.
    EXPECT_EQ(AttributeValue(second, L"note"), L"&lt; &#38; &AMP;");
    EXPECT_EQ(FindAttribute(second, L"Name"), nullptr);
    EXPECT_EQ(second.attributes[0].owner, &second);
}

TEST(XmlDocument, LoneAttributesAndUnquotedValues) {
    CXmlNode root;
    ASSERT_TRUE(ParseOk(root, L"<a flag other=\"1\" v=x>text</a>"));
    ASSERT_EQ(root.attributes.size(), 3u);
    EXPECT_EQ(root.attributes[0].name, L"flag");
    EXPECT_EQ(root.attributes[0].value, L"");
    EXPECT_EQ(AttributeValue(root, L"v"), L"x");
    EXPECT_EQ(root.value, L"text");

    // A lone attribute right before the end of the tag does not swallow it.
    ASSERT_TRUE(ParseOk(root, L"<a sitout><b/></a>"));
    EXPECT_EQ(root.attributes.size(), 1u);
    EXPECT_EQ(root.children.size(), 1u);
    ASSERT_TRUE(ParseOk(root, L"<a sitout/>"));
    EXPECT_EQ(root.attributes[0].name, L"sitout");
}

TEST(XmlDocument, ElementValueIsFirstNonBlankText) {
    CXmlNode root;
    ASSERT_TRUE(ParseOk(root, L"<a>x<b/>y</a>"));
    EXPECT_EQ(root.value, L"x");
    ASSERT_EQ(root.children.size(), 1u);
    CXmlNode other;
    ASSERT_TRUE(ParseOk(other, L"<a> <b/>y</a>"));
    EXPECT_EQ(other.value, L"y");
}

TEST(XmlDocument, BackslashEscapesTheNextCharacter) {
    CXmlNode root;
    ASSERT_TRUE(ParseOk(root, L"<a v=\"say \\\"hi\\\"\" w=\"c:\\\\d\">1 \\< 2</a>"));
    EXPECT_EQ(AttributeValue(root, L"v"), L"say \"hi\"");
    EXPECT_EQ(AttributeValue(root, L"w"), L"c:\\d");
    EXPECT_EQ(root.value, L"1 < 2");
}

TEST(XmlDocument, CommentsAndCDataInsideElementsBecomeChildren) {
    CXmlNode root;
    ASSERT_TRUE(ParseOk(root, L"<!-- before --><a><!-- note --><b/><![cdata[x<y]]></a>"));
    EXPECT_EQ(root.name, L"a");
    ASSERT_EQ(root.children.size(), 3u);
    EXPECT_EQ(root.children[0]->name, L"#COMMENT");
    EXPECT_EQ(root.children[0]->type, kXmlComment);
    EXPECT_EQ(root.children[0]->value, L" note ");
    EXPECT_EQ(root.children[1]->name, L"b");
    EXPECT_EQ(root.children[2]->name, L"#CDATA");
    EXPECT_EQ(root.children[2]->value, L"x<y");

    // A backslash is skipped inside a terminator, never protects one.
    ASSERT_TRUE(ParseOk(root, L"<a><!-- x -\\-> y</a>"));
    ASSERT_FALSE(root.children.empty());
    EXPECT_EQ(root.children[0]->value, L" x ");
}

TEST(XmlDocument, MissingEndTagsAtTheEndAreTolerated) {
    CXmlNode root;
    ASSERT_TRUE(ParseOk(root, L"<a><b/>"));
    EXPECT_EQ(root.children.size(), 1u);
    ASSERT_TRUE(ParseOk(root, L"<a><b x=\"1\"><c>t"));
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.children[0]->children[0]->value, L"t");
    // An end tag may carry blanks before its ">".
    ASSERT_TRUE(ParseOk(root, L"<a><b></b ></a>"));
}

TEST(XmlDocument, EachErrorIsRecordedWithItsCode) {
    std::wstring message;
    EXPECT_EQ(ErrorOf(L"<a/ >", &message), kXmlErrorUnclosedEmptyElement);
    EXPECT_EQ(message, L"Element must be closed.");
    EXPECT_EQ(ErrorOf(L"<a><b></b", &message), kXmlErrorUnterminatedEndTag);
    EXPECT_EQ(message, L"it must be closed with </b>");
    EXPECT_EQ(ErrorOf(L"<a><b></c></a>", &message), kXmlErrorMismatchedEndTag);
    EXPECT_EQ(message, L"'<b> ... </c>' is not wel-formed.");
    EXPECT_EQ(ErrorOf(L"<a b", &message), kXmlErrorBadAttribute);
    EXPECT_EQ(message, L"<a> attribute has error ");
}

TEST(XmlDocument, OnlyTheFirstErrorIsKept) {
    XmlParseSettings settings;
    CXmlNode node;
    EXPECT_EQ(Parse(node, L"<a><b></c></a>", settings), nullptr);
    const std::size_t pos = settings.nErrorPos;
    EXPECT_EQ(pos, 6u);
    EXPECT_EQ(Parse(node, L"<a/ >", settings), nullptr);
    EXPECT_TRUE(settings.bErrorOccur);
    EXPECT_EQ(settings.nErrorCode, kXmlErrorMismatchedEndTag);
    EXPECT_EQ(settings.nErrorPos, pos);
}

TEST(XmlDocument, UnterminatedSectionsFailAtTheEnd) {
    CXmlNode root;
    for (const wchar_t* text :
         {L"<?xml version=\"1.0\"", L"<a><!-- never closed", L"<!-- open <a/>",
          L"<a><![CDATA[ open", L"<a b=\"unterminated>", L"<a b='x\\'>", L"", L"no markup",
          L"<?xml version=\"1.0\"?>", L"<a", L"</a>"}) {
        XmlParseSettings settings;
        const wchar_t* end = Parse(root, text, settings);
        if (std::wstring_view(text) == L"</a>") {
            // An end tag where an element was expected: returned, nameless.
            EXPECT_EQ(end, text);
            continue;
        }
        EXPECT_EQ(end, nullptr) << std::wstring(text).size();
    }
    // A backslash as the last character ends the text.
    CXmlNode tail;
    ASSERT_TRUE(ParseOk(tail, L"<a>x\\"));
    EXPECT_EQ(tail.value, L"x");
}

TEST(XmlDocument, NestingDepthIsBounded) {
    std::wstring deep;
    for (int i = 0; i < 100000; ++i)
        deep += L"<a>";
    EXPECT_EQ(ErrorOf(deep), kXmlErrorTooDeep);

    std::wstring fine;
    for (int i = 0; i < 100; ++i)
        fine += L"<a>";
    CXmlNode root;
    EXPECT_TRUE(ParseOk(root, fine));
}

TEST(XmlDocument, GarbageNeverEscapesTheText) {
    const std::wstring alphabet = L"<>/=\"'!-?[]\\ab &;\u00e9\n";
    std::mt19937 rng(12345);
    for (int round = 0; round < 3000; ++round) {
        std::wstring text(static_cast<std::size_t>(rng() % 120), L' ');
        for (wchar_t& c : text)
            c = alphabet[rng() % alphabet.size()];
        CXmlNode root;
        XmlParseSettings settings;
        const wchar_t* end = Parse(root, text, settings);
        if (end) {
            ASSERT_GE(end, text.data());
            ASSERT_LE(end, text.data() + text.size());
        }
    }
}
