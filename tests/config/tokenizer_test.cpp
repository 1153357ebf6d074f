#include <gtest/gtest.h>

#include <sstream>

#include "config_test_support.h"

namespace {

using Tokens = std::vector<std::string>;

Tokens tokenize(const std::string& text, const char* open = nullptr, const char* close = nullptr) {
    ConfigStore store("/nonexistent/config.txt", open, close);
    std::istringstream in(text);
    return store.tokenize_stream(in);
}

struct TokenCase {
    const char* why;
    std::string text;
    Tokens expected;
};

TEST(Tokenizer, SplitsJoinsQuotesAndGroups) {
    const TokenCase cases[] = {
        {"empty file", "", {}},
        {"only blanks and comments", " \t# note\n\r\v\f  #\n", {}},
        {"a lone # ends at its own line end", "#\nx = 1", {"x=1"}},
        {"blanks on both sides of =", "sphere-r = 0.5 # radius\n", {"sphere-r=0.5"}},
        {"blank before = only", "r =0.5", {"r", "=0.5"}},
        {"blank after = only", "r= 0.5", {"r=", "0.5"}},
        {"= at the very end", "r =", {"r="}},
        {"quoted text keeps blanks", "title = 'two words'", {"title=two words"}},
        {"label then comment", "[display]   # c\n", {"[display]"}},
        {"group is one token", "x = ${+ 1 2}", {"x=${+ 1 2}"}},
        {"comment opens only at a token start", "a=b#c", {"a=b#c"}},
        {"escaped blank", "data\\ file.txt", {"data file.txt"}},
        {"escaped $ opens no group", "\\${a b}", {"${a", "b}"}},
        {"escaped $ is still a $", "x=\\${a}", {"x=${a}"}},
        {"apostrophes inside a group stay", "x=${a 'b' #c}", {"x=${a 'b' #c}"}},
        {"nested groups", "x=${a ${b} c}d e", {"x=${a ${b} c}d", "e"}},
        {"only ${ nests inside a group", "x=${a {b} c}", {"x=${a {b}", "c}"}},
        {"escaped apostrophe inside quotes", "x = 'it\\'s' y", {"x=it's", "y"}},
        {"backslash pair inside quotes", "'a\\\\b'", {"a\\b"}},
        {"backslash pair escapes the next byte too", "\\\\ x", {"\\ x"}},
        {"unterminated quote", "x='a b", {"x=a b"}},
        {"unterminated group", "x=${a b", {"x=${a b"}},
        {"only blank, tab and newline end a token", "a\r\v\fb\tc\nd e", {"a\r\v\fb", "c", "d", "e"}},
        {"bytes above 127 are not white space", "\xa0x \x85y", {"\xa0x", "\x85y"}},
        {"empty quotes make a real empty token", "title = ''\nlater = 1", {"title=", "later=1"}},
        {"empty quoted token alone", "a '' b", {"a", "", "b"}},
        {"lone backslash at the end stops", "a b\\", {"a", "b"}},
        {"0xFF first byte (a byte order mark) stops", "a \xff\xfe b", {"a"}},
        {"a UTF-16 file gives nothing", std::string("\xff\xfe[\0d\0]\0", 8), {}},
        {"a leading UTF-8 byte order mark is no text", "\xef\xbb\xbf[d]\nx = 1", {"[d]", "x=1"}},
        {"a UTF-8 byte order mark elsewhere is text", "a \xef\xbb\xbf[d]", {"a", "\xef\xbb\xbf[d]"}},
        {"the start of a byte order mark is text", "\xef\xbb[d]", {"\xef\xbb[d]"}},
        {"no translation of CRLF here", "a\r\nb", {"a\r", "b"}},
        {"NUL is an ordinary byte", std::string("a\0b c", 5), {std::string("a\0b", 3), "c"}},
    };
    for (const TokenCase& c : cases) {
        EXPECT_EQ(tokenize(c.text), c.expected) << c.why;
    }
}

TEST(Tokenizer, OtherCommentMarkers) {
    EXPECT_EQ(tokenize("a /**/ b /* x\n y */c # d", "/*", "*/"), (Tokens{"a", "b", "c", "#", "d"}));
    EXPECT_EQ(tokenize("a / b /", "/*", "*/"), (Tokens{"a", "/", "b", "/"}));
    EXPECT_EQ(tokenize("a /* never closed", "/*", "*/"), (Tokens{"a"}));
    EXPECT_EQ(tokenize("a /b/ c/ d", "/b", "/"), (Tokens{"a", "c/", "d"}));
    // Bytes read to test for a marker are given back even when the input has
    // ended meanwhile; here a blank among them ends the first token early.
    EXPECT_EQ(tokenize("a b", "a bc", nullptr), (Tokens{"a", "b"}));
    // An empty opening marker means no comments; an empty closing marker ends
    // a comment right after its opening marker.
    EXPECT_EQ(tokenize("a # b", "", nullptr), (Tokens{"a", "#", "b"}));
    EXPECT_EQ(tokenize("a #b c", "#", ""), (Tokens{"a", "b", "c"}));
}

}  // namespace
