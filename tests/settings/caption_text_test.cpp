// The caption's text: kept as config.txt writes it, and the frame's facts
// worked out through the configuration's own expressions, numbers short.
#include <gtest/gtest.h>

#include <string>

#include "caption_text.h"
#include "config_store.h"
#include "scene_settings.h"
#include "temp_files.h"

namespace {

TEST(Caption, WorksOutTheFramesFacts) {
    const FrameFacts step{3, 50, "h-00030.asc"};
    const struct {
        const char* caption;
        FrameFacts facts;
        const char* shown;
    } cases[] = {
        {"frame ${frame} of ${frames}: ${file}", step, "frame 3 of 50: h-00030.asc"},
        {"t = ${* ${number} 10} kyr", step, "t = 300 kyr"},
        {"t = ${/ ${frame} 4} s", step, "t = 0.75 s"},
        {"${- 0 ${number}}", step, "-30"},
        {"no digits: ${number}", {2, 2, "data.txt"}, "no digits: 2"},
        {"zero: ${number}", {1, 9, "h-0000.txt"}, "zero: 0"},
        // Only the language's own long numbers are shortened.
        {"1.000000e+0001 and 2.5e+003", step, "1.000000e+0001 and 2.5e+003"},
        {"plain", step, "plain"},
        {"", step, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CaptionFor(c.caption, c.facts), c.shown) << c.caption;
}

// config.txt works its expressions out as it is read; the caption keeps
// them as written, to be worked out for each frame.
TEST(Caption, KeptAsWrittenInConfig) {
    const struct {
        const char* config;
        const char* caption;
    } cases[] = {
        {"[display]\ncaption = 't = ${* ${number} 10} kyr'\n", "t = ${* ${number} 10} kyr"},
        {"[display]\ncaption = a\ncaption = ${file}\n", "${file}"},
        {"[display]\n[../data]\ncaption = x\n", ""},
        {"caption = x\n", ""},
        {"[display]\ncaption = plain\n", "plain"},
    };
    for (const auto& c : cases) {
        const TempDir dir("caption");
        WriteFile(dir / "config.txt", c.config);
        const ConfigStore store((dir / "config.txt").c_str());
        CollectedDiagnostics said;
        EXPECT_EQ(ReadSceneSettings(store, said).options.caption, c.caption) << c.config;
    }
}

}  // namespace
