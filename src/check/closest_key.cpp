#include "keys.h"
#include "closest_key.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

std::string LastPart(const std::string& name) { return name.substr(name.rfind('/') + 1); }

// How far a misspelling may stray before a suggestion is more likely wrong
// than helpful: one edit in a short name, up to three in a long one.
std::size_t Allowed(const std::string& name) {
    return name.size() <= 4 ? 1 : name.size() <= 8 ? 2 : 3;
}

std::size_t Apart(std::size_t a, std::size_t b) { return a > b ? a - b : b - a; }

}  // namespace

std::size_t EditDistance(const std::string& a, const std::string& b) {
    // Three rows of the table: the swap of two characters looks two back.
    std::vector<std::size_t> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                current[j] = std::min(current[j], before[j - 2] + 1);
            }
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[b.size()];
}

const KeyEntry* ClosestKnownKey(const std::string& name) {
    const std::string last = LastPart(name);
    const KeyEntry* closest = nullptr;
    std::size_t closestDistance = 0;
    for (const KeyEntry* key : KeyTable()) {
        const std::string keyLast = LastPart(key->name);
        const std::size_t allowed = Allowed(keyLast);
        // No fewer edits than the lengths differ: most names are ruled out
        // without the table, which matters in a file of many thousand.
        if (Apart(last.size(), keyLast.size()) >= allowed && Apart(name.size(), std::strlen(key->name)) > allowed) {
            continue;
        }
        // A right name in the wrong section (or before any section label) is
        // one edit away, however long the section's name.
        const std::size_t sectionMoved = EditDistance(last, keyLast) + 1;
        const std::size_t distance = std::min(EditDistance(name, key->name), sectionMoved);
        if (distance <= allowed && (closest == nullptr || distance < closestDistance)) {
            closest = key;
            closestDistance = distance;
        }
    }
    return closest;
}
