// The keys that pelorin and pelorin-render read from config.txt, declared
// once: how each is read, what it accepts, its default and what it means.
// The programs read every key through its entry (key_reader.h), and
// pelorin-check lists them and explains them from the same entries.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>

enum class KeyKind {
    text,          // taken as written
    lookupNumber,  // the store's floating-point look-up, as the sphere's radius always was: a
                   // value that does not convert gives the default without a word
    lookupWhole,   // the store's integer look-up, the same after its "## original = " line,
                   // truncated toward zero
    number,        // one number that the key's rule accepts
    onOff,         // 1 on, 0 off
    choice,        // one of a few named values
    lowHigh,       // two numbers, the lower first ('LOW HIGH')
    point,         // three numbers ('X Y Z')
    angle,         // degrees, small enough to turn into radians
};

// What a number key accepts: `accepts` decides, `wanted` says it in the
// warning ("a number above 0").
struct NumberRule {
    bool (*accepts)(double value);
    const char* wanted;
};

// What a refused value leaves, when the key has no default to use instead.
constexpr const char* kLeftUnset = "the programs leave it unset";
constexpr const char* kIgnored = "ignored";

constexpr std::size_t kMostChoices = 4;

struct KeyEntry {
    const char* name;          // section and name: "display/colour"
    KeyKind kind;
    const char* defaultValue;  // as the user would write it; null when unset by default
    const char* meaning;       // a few words, for one line of pelorin-check's list
    const char* ifRefused;     // kLeftUnset or kIgnored; null: the default is used
    NumberRule rule;                                 // number
    std::array<const char*, kMostChoices> choices;  // choice, the default first; null after the last
};

// The entries, and the rules and makers that declare them.
namespace keys {
bool AboveZero(double value);
bool PlayRate(double value);
bool Finite(double value);
bool SampleCount(double value);
constexpr NumberRule aboveZero{AboveZero, "a number above 0"};
constexpr NumberRule playRate{PlayRate, "a number above 0 and at most 1000"};
constexpr NumberRule finite{Finite, "a finite number"};
constexpr NumberRule sampleCount{SampleCount, "a whole number from 1 to 64"};
// Any finite number; a refused one, infinity included, "is not a number".
constexpr NumberRule finiteNumber{Finite, "a number"};

constexpr KeyEntry Entry(const char* name, KeyKind kind, const char* byDefault, const char* meaning,
                         const char* ifRefused = nullptr) {
    return {name, kind, byDefault, meaning, ifRefused, {nullptr, nullptr}, {}};
}
constexpr KeyEntry Number(const char* name, const char* byDefault, NumberRule rule, const char* meaning,
                          const char* ifRefused = nullptr) {
    return {name, KeyKind::number, byDefault, meaning, ifRefused, rule, {}};
}
constexpr KeyEntry Choice(const char* name, std::initializer_list<const char*> choices, const char* meaning) {
    KeyEntry entry = Entry(name, KeyKind::choice, *choices.begin(), meaning);
    std::size_t at = 0;
    for (const char* choice : choices) entry.choices[at++] = choice;
    return entry;
}

inline constexpr KeyEntry dataFile = Entry("data/file", KeyKind::text, "data.txt", "the data file, from this folder");
inline constexpr KeyEntry series =
    Entry("data/series", KeyKind::text, nullptr, "printf pattern or glob of a series' frames");
inline constexpr KeyEntry framesPerSecond =
    Number("data/frames-per-second", "10", playRate, "how fast space plays a series");
inline constexpr KeyEntry watch = Entry("data/watch", KeyKind::onOff, "0", "1: follow the files as they change");
inline constexpr KeyEntry metresPerLevel =
    Number("data/metres-per-level", nullptr, aboveZero, "metres in one level, for the legend", kLeftUnset);
inline constexpr KeyEntry levelZeroMetres =
    Number("data/level-0-metres", nullptr, finite, "height of level 0 in metres", kLeftUnset);
inline constexpr KeyEntry cellMetres =
    Number("data/cell-metres", nullptr, aboveZero, "ground size of a cell, for the scale bar", kLeftUnset);
inline constexpr KeyEntry sphereRadius =
    Entry("display/sphere-r", KeyKind::lookupNumber, "0.75", "radius of every sphere");
inline constexpr KeyEntry sphereTesel =
    Entry("display/sphere-tesel", KeyKind::lookupWhole, "6", "slices and stacks of every sphere");
inline constexpr KeyEntry cullHidden =
    Entry("display/cull-hidden", KeyKind::onOff, "0", "1: leave out spheres no camera can see");
inline constexpr KeyEntry fitView = Entry("display/fit-view", KeyKind::onOff, "0", "1: start with every point in view");
inline constexpr KeyEntry colour = Choice("display/colour", {"red", "height"}, "red, or height: coloured by level");
inline constexpr KeyEntry renderer =
    Choice("display/renderer", {"lists", "impostors"}, "lists, or impostors: fast on big grids");
inline constexpr KeyEntry levelOfDetail =
    Entry("display/level-of-detail", KeyKind::onOff, "1", "0: impostors draw every sphere in full");
inline constexpr KeyEntry antialias =
    Number("display/antialias", "1", sampleCount, "samples a pixel in the viewer's window");
inline constexpr KeyEntry keyBindings =
    Choice("display/keys", {"standard", "extended"}, "standard, or extended: keys c, s, r, h");
inline constexpr KeyEntry colourRange =
    Entry("display/colour-range", KeyKind::lowHigh, nullptr, "'LOW HIGH': levels the colours span", kIgnored);
inline constexpr KeyEntry legend = Entry("display/legend", KeyKind::onOff, "0", "1: a colour bar with its values");
inline constexpr KeyEntry ambientOcclusion =
    Entry("display/ambient-occlusion", KeyKind::onOff, "0", "1: spheres lit by the sky they see");
inline constexpr KeyEntry outlines =
    Entry("display/outlines", KeyKind::onOff, "0", "1: impostors outlined where depth jumps");
inline constexpr KeyEntry axes = Entry("display/axes", KeyKind::onOff, "0", "1: axes in a corner, and a scale bar");
inline constexpr KeyEntry azimuth =
    Entry("camera/azimuth", KeyKind::angle, nullptr, "degrees from +x towards +y", kIgnored);
inline constexpr KeyEntry elevation =
    Entry("camera/elevation", KeyKind::angle, nullptr, "degrees above the ground", kIgnored);
inline constexpr KeyEntry distance =
    Number("camera/distance", nullptr, finiteNumber, "from the look-at point to the eye", kIgnored);
inline constexpr KeyEntry centre =
    Entry("camera/center", KeyKind::point, nullptr, "'X Y Z': the look-at point", kIgnored);
}  // namespace keys

// Every key, in the order pelorin-check lists them: [data], [display], [camera].
inline constexpr const KeyEntry* kKeyTable[] = {
    &keys::dataFile,      &keys::series,           &keys::framesPerSecond, &keys::watch,
    &keys::metresPerLevel, &keys::levelZeroMetres, &keys::cellMetres,      &keys::sphereRadius,
    &keys::sphereTesel,   &keys::cullHidden,       &keys::fitView,         &keys::colour,
    &keys::renderer,      &keys::levelOfDetail,    &keys::antialias,       &keys::keyBindings,
    &keys::colourRange,   &keys::legend,           &keys::ambientOcclusion, &keys::outlines,
    &keys::axes,          &keys::azimuth,          &keys::elevation,       &keys::distance,
    &keys::centre,
};

// The table's entry for `name`, or null.
const KeyEntry* FindKey(const std::string& name);
