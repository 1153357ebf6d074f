#include "diagnostics.h"

#include <ios>
#include <iostream>

void Diagnostics::WarningOnce(const std::string& text) {
    {
        const std::lock_guard<std::mutex> lock(onceGuard_);
        if (!saidOnce_.insert(text).second) return;
    }
    Warning(text);
}

void StreamDiagnostics::Report(Severity severity, const std::string& text) {
    if (severity == Severity::silent) return;
    // Stores are built and read during other units' static initialisation,
    // possibly before any unit that sets up the standard streams has run.
    static const std::ios_base::Init standardStreams;
    const char* prefix = severity == Severity::error ? "error: " : severity == Severity::warning ? "warning: " : "";
    // One write a line, flushed at once where the stream is unit-buffered
    // (std::cerr), so
    // lines from two threads never mix and each shows before whatever the
    // program does next. Through a stream, the value of a setting goes out
    // byte for byte, a NUL included.
    out_ << (prefix + text + "\n");
}

Diagnostics& ProgramDiagnostics() {
    // Never destroyed: a thread or a static object's destructor may still
    // report while the process exits.
    static StreamDiagnostics* const sink = new StreamDiagnostics(std::cerr);
    return *sink;
}
