#include "diagnostics.h"

#include <cstdio>

void StandardError::Report(Severity severity, const std::string& text) {
    const char* prefix = severity == Severity::error ? "error: " : severity == Severity::warning ? "warning: " : "";
    // One write a line, flushed at once, so lines from two threads never mix
    // and each shows before whatever the program does next.
    std::fprintf(stderr, "%s%s\n", prefix, text.c_str());
    std::fflush(stderr);
}

Diagnostics& ProgramDiagnostics() {
    static StandardError sink;
    return sink;
}
