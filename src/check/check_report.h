// What the checker found: every known key with its value and where it comes
// from, what the data file holds, and the findings, printed for a person.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "diagnostics.h"
#include "keys.h"

struct Finding {
    static constexpr int noLine = -1;  // about no line of config.txt
    Severity severity = Severity::warning;  // never silent: what the programs keep silent, the checker says
    int line = noLine;                 // from 1; 0 when the line could not be told
    std::string text;
};

struct SettingLine {
    const KeyEntry* key = nullptr;
    std::string value;     // the value the programs go by: as written, or the default
    bool written = false;  // false: the default, the key unset or its value refused
    int line = 0;          // where it is written, from 1; 0 when that could not be told
};

struct CheckReport {
    std::vector<SettingLine> settings;  // in the order of KeyTable()
    std::vector<std::string> data;      // what the data file (or series) holds
    std::vector<Finding> findings;      // config.txt's by line, then the data's
};

// 0 when no finding is a warning or an error, 1 otherwise.
int ExitStatus(const CheckReport& report);

// A heading and the settings, a blank line, the data lines, a blank line, then one line per
// finding ("warning: line 7: display/color: ...") and a last line counting
// the problems, or "nothing looks wrong".
void PrintReport(const CheckReport& report, std::ostream& out);
