#include "input_file.h"

#include <ext/stdio_filebuf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

bool NamesStandardInput(const std::string& name) {
    return name == "/dev/stdin" || name == "/dev/fd/0" || name == "/proc/self/fd/0";
}

bool Admitted(const struct stat& status, const std::string& name, InputKinds kinds) {
    if (S_ISREG(status.st_mode)) return true;
    if (kinds == InputKinds::regularOrStandardInput) return NamesStandardInput(name);
    if (kinds == InputKinds::regular_or_device) return S_ISCHR(status.st_mode);
    return false;
}

// Hands the descriptor to the stream, which closes it with the file: the
// stream then reads, seeks and closes exactly as if it had opened the name.
bool Attach(std::ifstream& file, int descriptor) {
    __gnu_cxx::stdio_filebuf<char> buffer(descriptor, std::ios::in);
    if (!buffer.is_open()) {
        close(descriptor);
        return false;
    }
    *file.rdbuf() = std::move(static_cast<std::filebuf&>(buffer));
    file.clear();
    return file.is_open();
}

}  // namespace

InputOpening OpenInput(std::ifstream& file, const std::string& name, InputKinds kinds) {
    const int descriptor = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return InputOpening::missing;
    struct stat status;
    if (fstat(descriptor, &status) != 0) {
        close(descriptor);
        return InputOpening::missing;
    }
    if (!Admitted(status, name, kinds)) {
        close(descriptor);
        return InputOpening::not_regular;
    }
    // A device keeps reading without waiting; anything else reads as usual
    // (a regular file never waits; the standard input is asked for).
    if (!S_ISCHR(status.st_mode) || kinds != InputKinds::regular_or_device) {
        const int flags = fcntl(descriptor, F_GETFL);
        if (flags == -1 || fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == -1) {
            close(descriptor);
            return InputOpening::missing;
        }
    }
    return Attach(file, descriptor) ? InputOpening::opened : InputOpening::missing;
}
