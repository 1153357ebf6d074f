// Turns the text of a configuration file into an argument list, the same kind
// of list a command line gives.
#include <istream>
#include <string>
#include <utility>
#include <vector>

#include "byte_class.h"
#include "config_store.h"

namespace {

constexpr int endOfInput = -1;
constexpr int noCharacter = -2;  // before the first character of a token

// Reads a stream one byte at a time. Bytes read while testing for a comment
// marker can be given back, however long the marker is.
class ByteReader {
public:
    explicit ByteReader(std::istream& in) : in_(in) {}

    int next() {
        if (!given_back_.empty()) {
            const int c = static_cast<unsigned char>(given_back_.back());
            given_back_.pop_back();
            return c;
        }
        const std::istream::int_type c = in_.get();
        if (std::istream::traits_type::eq_int_type(c, std::istream::traits_type::eof())) {
            return endOfInput;
        }
        return static_cast<unsigned char>(std::istream::traits_type::to_char_type(c));
    }

    void give_back(const std::string& bytes) {
        given_back_.append(bytes.rbegin(), bytes.rend());
    }

    bool can_read() const { return !given_back_.empty() || !in_.fail(); }

private:
    std::istream& in_;
    std::string given_back_;  // in reverse order: the next byte is at the back
};

// True when the bytes from `first` on spell `marker`; otherwise every byte read
// for the test is given back, `first` included.
bool read_marker(ByteReader& reader, int first, const std::string& marker) {
    std::string read(1, static_cast<char>(first));
    while (read.size() < marker.size() && read.back() == marker[read.size() - 1]) {
        const int c = reader.next();
        if (c == endOfInput) break;
        read += static_cast<char>(c);
    }
    if (read == marker) return true;
    reader.give_back(read);
    return false;
}

// Drops everything up to and including the first complete closing marker;
// false when the input ends first.
bool skip_comment_body(ByteReader& reader, const std::string& comment_close) {
    std::string recent;
    while (recent != comment_close) {
        const int c = reader.next();
        if (c == endOfInput) return false;
        recent += static_cast<char>(c);
        if (recent.size() > comment_close.size()) recent.erase(0, 1);
    }
    return true;
}

// Skips white space and comments; false when the input ends first.
bool skip_to_token(ByteReader& reader, const std::string& comment_open,
                   const std::string& comment_close) {
    for (;;) {
        int c = reader.next();
        while (c != endOfInput && is_white_space(static_cast<char>(c))) c = reader.next();
        if (c == endOfInput) return false;
        // An empty opening marker would open a comment everywhere: it means
        // that the file has no comments.
        if (comment_open.empty()) {
            reader.give_back(std::string(1, static_cast<char>(c)));
            return true;
        }
        if (!read_marker(reader, c, comment_open)) return true;
        if (!skip_comment_body(reader, comment_close)) return false;
    }
}

// The text between apostrophes, the opening one already read.
std::string read_quoted_text(ByteReader& reader) {
    std::string text;
    int previous = noCharacter;
    for (int c = reader.next(); c != endOfInput; previous = c, c = reader.next()) {
        if (previous == '\\') {
            text += static_cast<char>(c);
        } else if (c == '\'') {
            break;
        } else if (c != '\\') {
            text += static_cast<char>(c);
        }
    }
    return text;
}

// A dollar-bracket group after its "$", from the "{" (already read) through
// the matching "}", kept exactly as written.
std::string read_group(ByteReader& reader) {
    std::string group = "{";
    int depth = 1;
    int previous = '{';
    for (int c = reader.next(); c != endOfInput; previous = c, c = reader.next()) {
        group += static_cast<char>(c);
        if (c == '{' && previous == '$') ++depth;
        if (c == '}' && --depth == 0) break;
    }
    return group;
}

struct Token {
    std::string text;
    bool quoted = false;  // held quoted text, so an empty text is still a token
};

Token read_token(ByteReader& reader) {
    Token token;
    int previous = noCharacter;  // the byte read just before, within this token
    for (int c = reader.next(); c != endOfInput; c = reader.next()) {
        const bool escaped = previous == '\\';
        if (!escaped && (c == ' ' || c == '\t' || c == '\n')) break;
        if (!escaped && c == '\'') {
            token.text += read_quoted_text(reader);
            token.quoted = true;
            previous = noCharacter;
        } else if (c == '{' && previous == '$') {
            token.text += read_group(reader);
            previous = noCharacter;
        } else if (c == '$' && escaped) {
            token.text += '$';
            previous = noCharacter;
        } else {
            if (escaped || c != '\\') token.text += static_cast<char>(c);
            previous = c;
        }
    }
    return token;
}

// Some editors start a UTF-8 file with a byte order mark; it is no text, and
// left in place it would spoil the first token (the first section label).
void skip_utf8_byte_order_mark(ByteReader& reader) {
    const int first = reader.next();
    if (first != endOfInput) read_marker(reader, first, "\xEF\xBB\xBF");
}

bool ends_reading(const Token& token) {
    if (token.text.empty()) return !token.quoted;
    return static_cast<unsigned char>(token.text[0]) == 0xFF;
}

// Joins "name", "=", "value" written with blanks around "=" into one argument.
std::vector<std::string> join_definitions(std::vector<std::string> tokens) {
    std::vector<std::string> joined;
    joined.reserve(tokens.size());
    std::size_t i = 0;
    while (i < tokens.size()) {
        if (i + 1 < tokens.size() && tokens[i + 1] == "=") {
            if (i + 2 >= tokens.size()) {
                joined.push_back(tokens[i] + "=");
                break;
            }
            joined.push_back(tokens[i] + "=" + tokens[i + 2]);
            i += 3;
        } else {
            joined.push_back(std::move(tokens[i]));
            i += 1;
        }
    }
    return joined;
}

}  // namespace

std::vector<std::string> ConfigStore::tokenize_stream(std::istream& in) const {
    ByteReader reader(in);
    skip_utf8_byte_order_mark(reader);
    std::vector<std::string> tokens;
    while (reader.can_read()) {
        if (!skip_to_token(reader, comment_open, comment_close)) break;
        Token token = read_token(reader);
        if (ends_reading(token)) break;
        tokens.push_back(std::move(token.text));
    }
    return join_definitions(std::move(tokens));
}
