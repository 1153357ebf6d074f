// Where readers and the scene say what went wrong. Each is given a sink: the
// programs print what it receives on standard error, pelorin-check collects
// it to report with the line of config.txt it concerns.
#pragma once

#include <string>
#include <utility>
#include <vector>

enum class Severity { note, warning, error };

class Diagnostics {
public:
    virtual ~Diagnostics() = default;
    // `text` without its "warning: " or "error: " prefix; a note is a plain
    // line of progress ("pelorin: preparing 3 points to draw").
    virtual void Report(Severity severity, const std::string& text) = 0;

    void Note(const std::string& text) { Report(Severity::note, text); }
    void Warning(const std::string& text) { Report(Severity::warning, text); }
    void Error(const std::string& text) { Report(Severity::error, text); }
};

// Prints each report as one line on standard error: "warning: ...",
// "error: ...", or a note as it is.
class StandardError : public Diagnostics {
public:
    void Report(Severity severity, const std::string& text) override;
};

// The sink of a program run: standard error.
Diagnostics& ProgramDiagnostics();

// Keeps every report, in order.
class CollectedDiagnostics : public Diagnostics {
public:
    struct Entry {
        Severity severity;
        std::string text;
    };
    void Report(Severity severity, const std::string& text) override { entries.push_back({severity, text}); }
    std::vector<Entry> entries;
};
