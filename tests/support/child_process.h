// A program started by a test in a directory of its own, with standard
// output and standard error going to files there, and a bounded wait for it.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "temp_files.h"

class ChildProcess {
public:
    // Starts `program` with `args` in `dir`; `environment` entries
    // ("NAME=value") are added to the test's own environment.
    ChildProcess(const std::string& dir, const std::string& program, const std::vector<std::string>& args = {},
                 const std::vector<std::string>& environment = {});
    // Kills the program (by its id) if it is still running.
    ~ChildProcess();

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // The exit status, or nothing if the program did not end normally within
    // `timeoutSeconds` (a killed or crashed program gives 128 + signal).
    std::optional<int> wait(double timeoutSeconds);

    std::string output() const;  // standard output so far
    std::string errors() const;  // standard error so far

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string dir_;
};

// Reads the program's standard output, or its standard error, until it holds
// `text`, for at most `timeoutSeconds`; whether it does.
bool OutputSays(const ChildProcess& process, const std::string& text, double timeoutSeconds);
bool ErrorsSay(const ChildProcess& process, const std::string& text, double timeoutSeconds);

// The ASAN_OPTIONS entry for running a GL program under a sanitizer build:
// the test's own options, without the leak check at exit (leaving the event
// loop unloads the GL driver, whose allocations can then no longer be
// traced) and without the check on preloaded libraries.
std::string SanitizerOptionsForGlProgram();

// How many lines of `text` (a program's standard error) start with "warning:".
int WarningLines(const std::string& text);
