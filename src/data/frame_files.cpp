#include "frame_files.h"

#include <dirent.h>
#include <glob.h>

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace {

struct Conversion {
    std::size_t start = std::string::npos, end = 0;  // the %...d in the pattern
};

// The one %d conversion in the name part of `pattern`, if any.
Conversion FindConversion(const std::string& pattern) {
    Conversion found;
    const std::size_t slash = pattern.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        std::size_t j = i + 1;
        while (j < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[j]))) ++j;
        if (j < pattern.size() && pattern[j] == 'd') {
            if (i < nameStart || found.start != std::string::npos) return {};
            found = {i, j + 1};
            i = j;
        } else if (j == i + 1 && j < pattern.size() && pattern[j] == '%') {
            ++i;
        }
    }
    return found;
}

// `text` with each "%%" as one "%".
std::string Unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
    }
    return out;
}

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::vector<std::string> NumberedFiles(const std::string& pattern, const Conversion& at) {
    const std::size_t slash = pattern.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
    const std::string prefix = Unescaped(pattern.substr(folder.size(), at.start - folder.size()));
    const std::string suffix = Unescaped(pattern.substr(at.end));
    std::vector<std::pair<unsigned long long, std::string>> numbered;
    DIR* dir = opendir(folder.empty() ? "." : Unescaped(folder).c_str());
    if (dir == nullptr) return {};
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
            continue;
        }
        const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        if (!AllDigits(digits) || digits.size() > 18) continue;
        numbered.emplace_back(std::stoull(digits), Unescaped(folder) + name);
    }
    closedir(dir);
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::string> files;
    for (auto& [number, file] : numbered) files.push_back(std::move(file));
    return files;
}

std::vector<std::string> GlobbedFiles(const std::string& pattern) {
    glob_t found{};
    std::vector<std::string> files;
    if (glob(pattern.c_str(), GLOB_NOSORT, nullptr, &found) == 0) {
        for (std::size_t i = 0; i < found.gl_pathc; ++i) files.emplace_back(found.gl_pathv[i]);
    }
    globfree(&found);
    std::sort(files.begin(), files.end(), NumericallyBefore);
    return files;
}

}  // namespace

bool IsNumberPattern(const std::string& pattern) { return FindConversion(pattern).start != std::string::npos; }

std::vector<std::string> SeriesFiles(const std::string& pattern) {
    const Conversion at = FindConversion(pattern);
    return at.start != std::string::npos ? NumberedFiles(pattern, at) : GlobbedFiles(pattern);
}

bool NumericallyBefore(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digitA = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
        const bool digitB = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
        if (digitA && digitB) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            // Without leading zeros, the longer number is the larger.
            std::size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0') ++si;
            while (sj + 1 < ej && b[sj] == '0') ++sj;
            if (ei - si != ej - sj) return ei - si < ej - sj;
            const int order = a.compare(si, ei - si, b, sj, ej - sj);
            if (order != 0) return order < 0;
            i = ei, j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i, ++j;
        }
    }
    return a.size() - i < b.size() - j;
}
