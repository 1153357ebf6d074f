// The text replacement behind the "<->" operator.
#pragma once

#include <cstddef>
#include <string>

enum class ReplacementOutcome { done, does_not_end, too_costly };

struct ReplacementResult {
    ReplacementOutcome outcome;
    std::string text;      // the changed text when `outcome` is done
    std::size_t work = 0;  // bytes moved, to be charged to the caller's budget
};

// Replaces `from` in `text` by `to`. An empty `from` changes nothing. When `to`
// contains `from`, one left-to-right pass replaces each occurrence and goes on
// after the inserted text. Otherwise every replacement is followed by a new
// search from the beginning, so replacements that form new occurrences are
// replaced in their turn. Stops with too_costly once more than `work_limit`
// bytes have been moved.
ReplacementResult replace_occurrences(const std::string& text, const std::string& from,
                                      const std::string& to, std::size_t work_limit);
