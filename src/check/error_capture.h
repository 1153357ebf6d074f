// The programs' readers report on standard error; the checker gathers what
// they write instead, to give it back as findings with their lines.
#pragma once

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

// Standard error's text, held back while the object lives.
class ErrorCapture {
public:
    ErrorCapture() : saved_(std::cerr.rdbuf(text_.rdbuf())) {}
    ~ErrorCapture() { std::cerr.rdbuf(saved_); }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(text_.str());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

private:
    std::ostringstream text_;
    std::streambuf* saved_;
};
