#include "text_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "pending_file.h"

std::string WriteTextFile(const std::string& path, const std::string& text) {
    PendingFile pending(path);
    if (!pending.error().empty()) return pending.error();
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = write(pending.descriptor(), text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return "cannot write '" + path + "': " + std::strerror(errno == 0 ? EIO : errno);
        done += static_cast<std::size_t>(written);
    }
    return pending.Publish();
}
