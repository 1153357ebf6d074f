#include "argument_lines.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "config_file.h"
#include "config_store.h"
#include "input_file.h"

namespace {

constexpr std::size_t mostLinesInOnePiece = 64;

// The lines of the file as the store reads it: no further than its bound, and
// with a carriage return before a line feed left out.
std::vector<std::string> FileLines(const char* fileName) {
    std::ifstream file;
    OpenInput(file, fileName, InputKinds::regular_or_device);
    std::string bytes(maxConfigFileBytes, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            lines.push_back(std::move(line));
            line.clear();
        } else if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n') {
            line += bytes[i];
        }
    }
    lines.push_back(std::move(line));
    return lines;
}

// The tokens of lines first to last (counted from 0) as the store's tokenizer
// gives them. No line end after the last line: a quotation left open there
// must not look closed.
std::vector<std::string> TokensOf(const ConfigStore& store, const std::vector<std::string>& lines,
                                  std::size_t first, std::size_t last) {
    std::string text;
    for (std::size_t i = first; i <= last; ++i) text += (i == first ? "" : "\n") + lines[i];
    std::istringstream in(text);
    return store.tokenize_stream(in);
}

bool StartsAt(const std::vector<std::string>& whole, std::size_t at, const std::vector<std::string>& piece) {
    return piece.size() <= whole.size() - at && std::equal(piece.begin(), piece.end(), whole.begin() + at);
}

}  // namespace

std::vector<ArgumentSource> ArgumentSources(const ConfigStore& store, const char* fileName) {
    const std::vector<std::string> tokens = read_config_file_tokens(store, fileName);
    const std::vector<std::string> lines = FileLines(fileName);
    std::vector<int> tokenLines(tokens.size(), ArgumentSource::unknownLine);
    std::size_t at = 0;  // the next token to place
    std::size_t first = 0;
    while (first < lines.size() && at < tokens.size()) {
        std::size_t last = first;
        std::vector<std::string> piece = TokensOf(store, lines, first, last);
        while (!StartsAt(tokens, at, piece) && last + 1 < lines.size() &&
               last - first + 1 < mostLinesInOnePiece) {
            piece = TokensOf(store, lines, first, ++last);
        }
        if (!StartsAt(tokens, at, piece)) {
            if (last + 1 < lines.size() && StartsAt(tokens, at, TokensOf(store, lines, first, lines.size() - 1))) {
                tokenLines[at] = static_cast<int>(first) + 1;
            }
            break;
        }
        std::fill(tokenLines.begin() + static_cast<std::ptrdiff_t>(at),
                  tokenLines.begin() + static_cast<std::ptrdiff_t>(at + piece.size()), static_cast<int>(first) + 1);
        at += piece.size();
        first = last + 1;
    }

    // The store keeps the file name first, then every token but the empty ones.
    std::vector<ArgumentSource> sources(1);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].empty()) sources.push_back({tokenLines[i], tokens[i]});
    }
    if (sources.size() != store.arguments.size()) {
        sources.assign(store.arguments.size(), ArgumentSource{});
    }
    return sources;
}
