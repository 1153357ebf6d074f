#include "text_replacement.h"

#include <vector>

#include "evaluation_limits.h"

namespace {

// Knuth-Morris-Pratt matching, so that finding a pattern never costs more
// than a pass over the text, however the text and the pattern look.
class PatternMatcher {
public:
    explicit PatternMatcher(const std::string& pattern)
        : pattern_(pattern), fallback_(pattern.size(), 0) {
        std::size_t state = 0;
        for (std::size_t i = 1; i < pattern_.size(); ++i) {
            state = advance(state, pattern_[i]);
            fallback_[i] = state;
        }
    }

    // The length of the longest start of the pattern that ends the text read
    // so far, after one more byte `c`.
    std::size_t advance(std::size_t state, char c) const {
        // No caller advances from a complete match (they start again at 0 or
        // cut the match off first), so `state == pattern_.size()` never holds
        // today; it keeps a complete state from reading past the pattern.
        while (state > 0 && (state == pattern_.size() || pattern_[state] != c)) {
            state = fallback_[state - 1];
        }
        return pattern_[state] == c ? state + 1 : 0;
    }

    bool complete(std::size_t state) const { return state == pattern_.size(); }

    bool occurs_in(const std::string& text) const {
        std::size_t state = 0;
        for (char c : text) {
            state = advance(state, c);
            if (complete(state)) return true;
        }
        return false;
    }

private:
    const std::string& pattern_;
    std::vector<std::size_t> fallback_;
};

ReplacementResult too_costly(std::size_t work) {
    return {ReplacementOutcome::too_costly, std::string(), work};
}

ReplacementResult replace_in_one_pass(const std::string& text, const std::string& from,
                                      const std::string& to, const PatternMatcher& matcher,
                                      std::size_t work_limit) {
    std::string result;
    std::size_t state = 0;
    std::size_t work = 0;
    for (char c : text) {
        result += c;
        state = matcher.advance(state, c);
        ++work;
        if (matcher.complete(state)) {
            result.resize(result.size() - from.size());
            result += to;
            work += to.size();
            state = 0;  // the next occurrence starts after the inserted text
        }
        if (work > work_limit) return too_costly(work);
    }
    return {ReplacementOutcome::done, std::move(result), work};
}

// Reads the text once, byte by byte, keeping the bytes read so far (which
// hold no occurrence) with the matcher's state after each. An occurrence can
// only complete at the byte just read, and the first to complete is the
// leftmost one; its replacement is put back in front of the unread rest, so
// that occurrences it forms with the kept bytes are found next, exactly as a
// new search from the beginning would find them.
ReplacementResult replace_with_rescan(const std::string& text, const std::string& from,
                                      const std::string& to, const PatternMatcher& matcher,
                                      std::size_t work_limit) {
    using evaluation_limits::maxReplacements;
    using evaluation_limits::maxReplacementTextBytes;
    std::string kept;
    std::vector<std::size_t> states;
    std::string pending;  // reinserted bytes, reversed: the next one is at the back
    std::size_t next = 0;
    std::size_t replacements = 0;
    std::size_t work = 0;
    while (!pending.empty() || next < text.size()) {
        char c;
        if (pending.empty()) {
            c = text[next++];
        } else {
            c = pending.back();
            pending.pop_back();
        }
        if (++work > work_limit) return too_costly(work);
        const std::size_t previous_state = states.empty() ? 0 : states.back();
        kept += c;
        states.push_back(matcher.advance(previous_state, c));
        if (!matcher.complete(states.back())) continue;
        kept.resize(kept.size() - from.size());
        states.resize(states.size() - from.size());
        pending.append(to.rbegin(), to.rend());
        const std::size_t length = kept.size() + pending.size() + (text.size() - next);
        if (++replacements > maxReplacements ||
            (to.size() > from.size() && length > maxReplacementTextBytes)) {
            return {ReplacementOutcome::does_not_end, std::string(), work};
        }
    }
    return {ReplacementOutcome::done, std::move(kept), work};
}

}  // namespace

ReplacementResult replace_occurrences(const std::string& text, const std::string& from,
                                      const std::string& to, std::size_t work_limit) {
    if (from.empty()) return {ReplacementOutcome::done, text, 0};
    const PatternMatcher matcher(from);
    if (matcher.occurs_in(to)) return replace_in_one_pass(text, from, to, matcher, work_limit);
    return replace_with_rescan(text, from, to, matcher, work_limit);
}
