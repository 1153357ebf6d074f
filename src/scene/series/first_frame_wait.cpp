#include "series/first_frame_wait.h"

#include <poll.h>

#include "data_file.h"
#include "printable_text.h"
#include "series/file_watch.h"

namespace {

// The folder's changes wake the wait; this bounds it where they cannot be
// watched, and catches a frame that was still being written at its last
// change.
constexpr int lookAgainMilliseconds = 1000;

}  // namespace

void WaitForFirstFrame(const std::string& pattern, Diagnostics& report, const LevelMapping& mapping) {
    if (pattern.empty() || !NewestWholeFrame(pattern, mapping).empty()) return;
    report.Note("waiting for the first frame of data/series '" + PrintableText(pattern) + "'");
    FileWatch watch({pattern});
    do {
        pollfd changed{watch.Descriptor(), POLLIN, 0};
        poll(&changed, watch.ok() ? 1 : 0, lookAgainMilliseconds);
        watch.Changes();
    } while (NewestWholeFrame(pattern, mapping).empty());
}
