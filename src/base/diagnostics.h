// Where readers and the scene say what went wrong. Each is given a sink: the
// programs print what it receives on standard error, pelorin-check collects
// it to report with the line of config.txt it concerns.
#pragma once

#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

// `silent`: a value a reader replaces by its default without a word, as the
// look-ups of the sphere's radius and tessellation always have. The programs
// keep it to themselves; pelorin-check reports it as a warning.
enum class Severity { note, warning, error, silent };

class Diagnostics {
public:
    virtual ~Diagnostics() = default;
    // `text` without its "warning: " or "error: " prefix; a note is a plain
    // line of progress ("pelorin: preparing 3 points to draw").
    virtual void Report(Severity severity, const std::string& text) = 0;

    void Note(const std::string& text) { Report(Severity::note, text); }
    void Warning(const std::string& text) { Report(Severity::warning, text); }
    void Error(const std::string& text) { Report(Severity::error, text); }

    // A warning said the first time this sink is given it, and never again:
    // one configuration file is read by more than one store (the viewer's
    // own and the program's), and its problems are worth one line.
    void WarningOnce(const std::string& text);

private:
    std::mutex onceGuard_;
    std::set<std::string> saidOnce_;
};

// Prints each report as one line on `out`: "warning: ...", "error: ...", or
// a note as it is; a silent one not at all.
class StreamDiagnostics : public Diagnostics {
public:
    explicit StreamDiagnostics(std::ostream& out) : out_(out) {}
    void Report(Severity severity, const std::string& text) override;

private:
    std::ostream& out_;
};

// The sink of a program run: standard error, line by line.
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
