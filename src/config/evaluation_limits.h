// Limits that keep dollar-bracket evaluation finite and small whatever a
// configuration file holds. A file of a few kilobytes can otherwise describe
// unbounded recursion ("!" on a variable that refers to itself), endless
// replacement ("<->") or work that doubles with every line (variables that
// each refer twice to the one before). Every limit lies far above what a real
// configuration file needs.
#pragma once

#include <cstddef>

namespace evaluation_limits {

// At most this many evaluations of expand_expression may be active at once;
// the next one gives "<<${ } expression nested too deeply>>". Keeps the call
// stack small however deeply "!" recurses.
constexpr unsigned maxActiveExpansions = 64;

// "<->" that rescans its own output stops after this many replacements, or
// when its text grows past this many bytes, with
// "<<${ } replacement does not end>>".
constexpr std::size_t maxReplacements = 100000;
constexpr std::size_t maxReplacementTextBytes = 1000000;

// Work one stored argument may cause: calls of expand_expression, and bytes of
// text handled (every expression text and argument text scanned, every result
// produced, every byte "<->" moves). Past either, that argument's expressions
// give "<<${ } expression too costly>>". A real setting needs a handful of
// evaluations and a few hundred bytes; the byte budget still leaves room for
// the 1000000 bytes a "<->" may grow to. With the whole-store budgets below,
// any file of 64 KiB reads in a few tenths of a second even in a sanitizer
// build, where one evaluation costs some microseconds and every byte handled
// is copied several times.
constexpr std::size_t argumentEvaluations = 5000;
constexpr std::size_t argumentBytes = std::size_t{3} << 19;  // 1.5 MiB

// The same work summed over a whole store, so that a file made of many costly
// lines still reads quickly and its stored values stay small in memory.
constexpr std::size_t storeEvaluations = 10000;
constexpr std::size_t storeBytes = std::size_t{2} << 20;

// The section path is copied into every later argument and variable name (a
// 64 KiB file holds some 16000 of them), so a label (through expressions or
// through many "./") may not make it longer than this; such a label opens the
// section "<<${ } expression too costly>>/".
constexpr std::size_t maxSectionPathBytes = 256;

}  // namespace evaluation_limits

// Counts down the work still allowed; once used up it stays used up.
class WorkBudget {
public:
    static WorkBudget for_argument() {
        return WorkBudget(evaluation_limits::argumentEvaluations, evaluation_limits::argumentBytes);
    }
    static WorkBudget for_store() {
        return WorkBudget(evaluation_limits::storeEvaluations, evaluation_limits::storeBytes);
    }

    // Takes the work from the budget; false when it does not fit.
    bool spend(std::size_t evaluations, std::size_t bytes) {
        if (exhausted_ || evaluations > evaluations_left_ || bytes > bytes_left_) {
            exhausted_ = true;
            return false;
        }
        evaluations_left_ -= evaluations;
        bytes_left_ -= bytes;
        return true;
    }
    bool exhausted() const { return exhausted_; }
    std::size_t bytes_left() const { return exhausted_ ? 0 : bytes_left_; }

private:
    WorkBudget(std::size_t evaluations, std::size_t bytes)
        : evaluations_left_(evaluations), bytes_left_(bytes) {}

    std::size_t evaluations_left_;
    std::size_t bytes_left_;
    bool exhausted_ = false;
};
