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

void StandardError::Report(Severity severity, const std::string& text) {
    if (severity == Severity::silent) return;
    // Stores are built and read during other units' static initialisation,
    // possibly before any unit that sets up the standard streams has run.
    static const std::ios_base::Init standardStreams;
    const char* prefix = severity == Severity::error ? "error: " : severity == Severity::warning ? "warning: " : "";
    // One write a line, flushed at once (std::cerr is unit-buffered), so
    // lines from two threads never mix and each shows before whatever the
    // program does next. Through std::cerr, the value of a setting goes out
    // byte for byte, a NUL included.
    std::cerr << (prefix + text + "\n");
}

Diagnostics& ProgramDiagnostics() {
    // Never destroyed: a thread or a static object's destructor may still
    // report while the process exits.
    static StandardError* const sink = new StandardError;
    return *sink;
}
