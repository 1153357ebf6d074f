// The README's table of keys and the key table the programs read through
// agree: the same keys, with the same defaults.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "keys.h"

namespace {

using Defaults = std::map<std::string, std::optional<std::string>>;

// The pieces of `cell` between backquotes: `data/file`, `data.txt`.
std::vector<std::string> Quoted(const std::string& cell) {
    std::vector<std::string> pieces;
    for (std::size_t open = cell.find('`'); open != std::string::npos; open = cell.find('`', open)) {
        const std::size_t close = cell.find('`', open + 1);
        if (close == std::string::npos) break;
        pieces.push_back(cell.substr(open + 1, close - open - 1));
        open = close + 1;
    }
    return pieces;
}

// Each key of the README's "| Key | Default | Meaning |" table, with its
// default: the value in backquotes, or none when the cell says so in words
// ("unset", "the point set's"). A row may name several keys.
Defaults ReadmeDefaults(std::istream& readme) {
    Defaults defaults;
    bool inTable = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("| Key | Default | Meaning |", 0) == 0) {
            inTable = true;
        } else if (inTable && line.rfind("|---", 0) != 0) {
            if (line.rfind("| ", 0) != 0) break;
            std::vector<std::string> cells;
            std::stringstream row(line.substr(2));
            for (std::string cell; std::getline(row, cell, '|');) cells.push_back(cell);
            const std::string cell = cells.at(1).substr(cells[1].find_first_not_of(' '));
            const std::vector<std::string> byDefault = Quoted(cell);
            const bool onlyAValue = byDefault.size() == 1 && cell.find_last_not_of(' ') == byDefault[0].size() + 1;
            const std::optional<std::string> value = onlyAValue ? std::optional(byDefault[0]) : std::nullopt;
            for (const std::string& key : Quoted(cells.at(0))) defaults[key] = value;
        }
    }
    return defaults;
}

TEST(KeyTable, AgreesWithTheReadme) {
    std::ifstream readme(PELORIN_README);
    ASSERT_TRUE(readme.is_open()) << PELORIN_README;
    const Defaults documented = ReadmeDefaults(readme);
    Defaults table;
    for (const KeyEntry* key : KeyTable()) {
        table[key->name] = key->defaultValue != nullptr ? std::optional<std::string>(key->defaultValue) : std::nullopt;
    }
    EXPECT_EQ(documented, table);
}

}  // namespace
