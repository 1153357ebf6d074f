// Reading a configuration file no further than a bound: a file that never
// ends (a link to /dev/zero) or one of many megabytes would otherwise be read
// whole, and tokenized it takes many times its size in memory.
#pragma once

#include <algorithm>
#include <cstddef>
#include <streambuf>
#include <string>

// Gives at most `limit` bytes of another buffer, and keeps the first two so
// that the file's encoding can be told before it is read.
class BoundedReadBuffer : public std::streambuf {
public:
    BoundedReadBuffer(std::streambuf& source, std::size_t limit) : source_(source), left_(limit) {}

    // True once reading stopped at the limit with more bytes still to come.
    bool cut_short() const { return cut_short_; }
    // The first bytes given, at most two; fewer only for a shorter source.
    const std::string& head() const { return head_; }

protected:
    int_type underflow() override {
        std::streamsize got = 0;
        if (left_ > 0) {
            const std::size_t wanted = left_ < sizeof block_ ? left_ : sizeof block_;
            got = source_.sgetn(block_, static_cast<std::streamsize>(wanted));
        }
        if (got <= 0) {
            const bool more_left = !traits_type::eq_int_type(source_.sgetc(), traits_type::eof());
            cut_short_ = left_ == 0 && more_left;
            return traits_type::eof();
        }
        left_ -= static_cast<std::size_t>(got);
        keep_head(static_cast<std::size_t>(got));
        setg(block_, block_, block_ + got);
        return traits_type::to_int_type(block_[0]);
    }

private:
    void keep_head(std::size_t got) {
        if (head_.size() < 2) head_.append(block_, std::min(2 - head_.size(), got));
    }

    std::streambuf& source_;
    std::size_t left_;
    bool cut_short_ = false;
    std::string head_;
    char block_[4096];
};
