#include "keyword_settings.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "closest_key.h"
#include "config_store.h"
#include "keys.h"

namespace {

// The data keys that mean something for a grid given whole; the rest name
// files, or how a series plays.
const char* const arrayDataKeys[] = {"data/metres-per-level", "data/level-0-metres", "data/cell-metres"};

std::string KeywordName(const std::string& key) {
    std::string name = key.substr(key.rfind('/') + 1);
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

std::string KeyName(const std::string& section, const std::string& keyword) {
    std::string name = keyword;
    std::replace(name.begin(), name.end(), '_', '-');
    return section + name;
}

bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

bool TakenForArray(const KeyEntry& key) {
    const std::string name = key.name;
    if (StartsWith(name, "display/")) return true;
    return std::any_of(std::begin(arrayDataKeys), std::end(arrayDataKeys),
                       [&](const char* taken) { return name == taken; });
}

// The sentence for a keyword no key of `sections` takes, naming the key it
// most likely meant.
std::string UnknownKeyword(const std::string& keyword, const std::vector<std::string>& sections,
                           bool (*taken)(const KeyEntry&)) {
    const bool cameraKeys = sections.front() == "camera/";
    const std::string said = std::string("unknown ") + (cameraKeys ? "camera key" : "keyword") + " '" + keyword + "'";
    // A key of the table, but not one given this way.
    for (const char* section : {"display/", "data/", "camera/"}) {
        const KeyEntry* exact = FindKey(KeyName(section, keyword));
        if (exact == nullptr || taken(*exact)) continue;
        if (StartsWith(exact->name, "camera/"))
            return said + ": the camera is given as camera={'" + keyword + "': ...}";
        if (cameraKeys) return said + ": " + exact->name + " is a keyword of its own";
        return said + ": " + exact->name + " means nothing for a grid given as an array";
    }
    const KeyEntry* closest = ClosestKnownKey(KeyName(sections.front(), keyword));
    if (closest == nullptr) return said;
    if (taken(*closest)) return said + " (did you mean " + KeywordName(closest->name) + ", " + closest->name + "?)";
    if (StartsWith(closest->name, "camera/"))
        return said + " (did you mean camera={'" + KeywordName(closest->name) + "': ...}?)";
    return said;
}

// The store config.txt would make of the keywords, each under its key's
// full name; "" in `unknown` when every keyword names one.
std::unique_ptr<ConfigStore> StoreOf(const Keywords& keywords, const std::vector<std::string>& sections,
                                     bool (*taken)(const KeyEntry&), std::string& unknown, Diagnostics& report) {
    std::vector<std::string> arguments{"pelorin"};
    for (const auto& [keyword, value] : keywords) {
        const KeyEntry* key = nullptr;
        for (const std::string& section : sections) {
            const KeyEntry* found = FindKey(KeyName(section, keyword));
            if (found != nullptr && taken(*found) && KeywordName(found->name) == keyword) key = found;
        }
        if (key == nullptr) {
            unknown = UnknownKeyword(keyword, sections, taken);
            return nullptr;
        }
        arguments.push_back(std::string(key->name) + "=" + value);
    }
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    return std::make_unique<ConfigStore>(static_cast<int>(argv.size()), argv.data(), nullptr, report);
}

// The first warning among `reports`, or a value silently replaced: a
// keyword is given on purpose, so no value of it is left unsaid.
std::string FirstRefusal(const CollectedDiagnostics& reports) {
    for (const CollectedDiagnostics::Entry& entry : reports.entries) {
        if (entry.severity != Severity::note) return entry.text;
    }
    return "";
}

bool TakenCamera(const KeyEntry& key) { return StartsWith(key.name, "camera/"); }

}  // namespace

KeywordReading SettingsFromKeywords(const Keywords& keywords) {
    KeywordReading reading;
    Keywords stored;
    std::string caption;
    bool captioned = false;
    for (const auto& keyword : keywords) {
        // Kept as written: the store would work its ${...} out now, before
        // there is a frame to say anything about.
        if (keyword.first == "caption") {
            caption = keyword.second;
            captioned = true;
        } else {
            stored.push_back(keyword);
        }
    }
    CollectedDiagnostics reports;
    const auto store = StoreOf(stored, {"display/", "data/"}, TakenForArray, reading.unknown, reports);
    if (!store) return reading;
    reading.settings = ReadSceneSettings(*store, reports);
    reading.refused = FirstRefusal(reports);
    if (captioned) reading.settings.options.caption = caption;
    return reading;
}

std::string KeyOfKeyword(const std::string& keyword) {
    for (const char* section : {"display/", "data/"}) {
        const KeyEntry* key = FindKey(KeyName(section, keyword));
        if (key != nullptr && TakenForArray(*key) && KeywordName(key->name) == keyword) return key->name;
    }
    return "";
}

CameraReading CameraFromKeywords(const Keywords& keywords) {
    CameraReading reading;
    CollectedDiagnostics reports;
    const auto store = StoreOf(keywords, {"camera/"}, TakenCamera, reading.unknown, reports);
    if (!store) return reading;
    reading.keys = ReadCameraKeys(*store, reports);
    reading.refused = FirstRefusal(reports);
    return reading;
}
