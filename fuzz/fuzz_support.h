// Helpers shared by the fuzz targets.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

// The point limit the loader targets run with: small enough that the largest
// grid a target may build stays well inside the fuzzer's memory and time
// limits, so that the refusal path is reached by ordinary inputs too.
constexpr std::uint64_t fuzzPointLimit = std::uint64_t{1} << 16;

// Writes the input to a file of this process (in memory where /dev/shm
// exists) and gives its name, so that targets can open it as the program
// opens its data file.
inline const std::string& write_input_file(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(dir) + "/pelorin-fuzz-" + std::to_string(getpid());
    }();
    static const bool cleanup = [] { return std::atexit([] { std::remove(path.c_str()); }) == 0; }();
    (void)cleanup;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

// Ends the run as a finding, with a line saying what went wrong.
[[noreturn]] inline void finding(const char* what) {
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
}
