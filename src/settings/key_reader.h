// Reads config.txt's keys the way their entries in the key table say: one
// reader for each kind of key. Values are read strictly: a value the
// programs cannot use is said out loud, in one warning naming the key, the
// value and what is used instead, rather than quietly replaced. Only the
// sphere's radius and tessellation fall back to their defaults without a
// word, as they always have; that is reported as silent, for pelorin-check.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config_store.h"
#include "diagnostics.h"
#include "key_table.h"

class KeyReader {
public:
    // Both must outlive the reader; refusals go to `diagnostics`.
    KeyReader(const ConfigStore& store, Diagnostics& diagnostics) : store_(store), diagnostics_(diagnostics) {}

    // text: as written; unset, the default ("" when there is none).
    std::string Text(const KeyEntry& key) const;
    // The caption as config.txt writes it, its expressions kept to be worked
    // out for each frame (caption_text.h).
    std::string Caption(const KeyEntry& key) const;
    // lookupNumber and lookupWhole: what the store's own look-ups give with
    // the key's default.
    double LookupNumber(const KeyEntry& key) const;
    int LookupWhole(const KeyEntry& key) const;
    // number: the value when it is one number the rule accepts; otherwise
    // the default, and nothing when there is none.
    std::optional<double> Number(const KeyEntry& key) const;
    // onOff: 1 on, 0 off; otherwise the default.
    bool OnOff(const KeyEntry& key) const;
    // choice: the value's place among the choices; otherwise 0, the default.
    int Choice(const KeyEntry& key) const;
    // lowHigh, point, pair and size: the two or three numbers; otherwise
    // nothing.
    std::optional<std::vector<double>> Numbers(const KeyEntry& key) const;
    // angle: the degrees; otherwise nothing.
    std::optional<double> Angle(const KeyEntry& key) const;

private:
    const char* Written(const KeyEntry& key) const;
    void Refuse(const KeyEntry& key, const std::string& value, const std::string& problem,
                Severity severity = Severity::warning) const;
    void SayIfNotConverted(const KeyEntry& key) const;

    const ConfigStore& store_;
    Diagnostics& diagnostics_;
};
