// pelorin-check: what config.txt means to pelorin and pelorin-render, and
// where it may go wrong. See CheckUsage for the command line.
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <string>

#include "check.h"
#include "printable_text.h"

int main(int argc, char** argv) {
    const char* folder = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::cout << CheckUsage();
            return 0;
        }
        if (argv[i][0] == '-' || folder != nullptr) {
            std::cerr << "error: unknown argument '" << PrintableText(argv[i]) << "' (see pelorin-check --help)"
                      << std::endl;
            return 2;
        }
        folder = argv[i];
    }
    // The data file's name is relative to the folder, as it is for the
    // programs run there.
    if (folder != nullptr && chdir(folder) != 0) {
        std::cerr << "error: cannot enter the folder '" << PrintableText(folder) << "'" << std::endl;
        return 2;
    }
    return RunCheck(std::cout);
}
