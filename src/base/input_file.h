// Opening a file to read without waiting on it. Opening a FIFO waits for a
// writer, and reading one (or a terminal) waits for input, possibly forever.
// So the name is opened without waiting and the open file itself, not the
// name, is examined: a name swapped for a FIFO after a look at it cannot slip
// through.
#pragma once

#include <fstream>
#include <string>

enum class InputOpening {
    opened,       // ready to read
    missing,      // could not be opened at all: no such file, no permission
    not_regular,  // a directory, FIFO, socket or device: not read
};

// What may be read besides regular files.
enum class InputKinds {
    regular,  // regular files alone
    // and the standard input by the names that reach it (/dev/stdin,
    // /dev/fd/0, /proc/self/fd/0), whatever it is: `gen | pelorin` with
    // data/file = /dev/stdin
    regularOrStandardInput,
    // and character devices, read only as far as they give without waiting:
    // a link to /dev/zero gives zeros, a terminal nothing
    regular_or_device,
};

// Opens `name` into the closed stream `file`.
InputOpening OpenInput(std::ifstream& file, const std::string& name, InputKinds kinds = InputKinds::regular);
