// Reading a configuration file as text: a carriage return directly before a
// line feed belongs to the line end, so a file saved with CRLF line ends reads
// exactly like the same file with LF line ends. A lone carriage return stays
// an ordinary byte.
#pragma once

#include <streambuf>

// Gives the bytes of another buffer with every carriage return that stands
// directly before a line feed removed.
class LineEndTranslatingBuffer : public std::streambuf {
public:
    explicit LineEndTranslatingBuffer(std::streambuf& source) : source_(source) {}

protected:
    int_type underflow() override {
        int_type c = source_.sbumpc();
        if (traits_type::eq_int_type(c, traits_type::to_int_type('\r')) &&
            traits_type::eq_int_type(source_.sgetc(), traits_type::to_int_type('\n'))) {
            c = source_.sbumpc();
        }
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::eof();
        current_ = traits_type::to_char_type(c);
        setg(&current_, &current_, &current_ + 1);
        return c;
    }

private:
    std::streambuf& source_;
    char current_ = 0;
};
