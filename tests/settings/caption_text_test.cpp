// The caption's text: the frame's facts through the configuration's own
// expressions, numbers shown short, and the warning for one worked out as
// config.txt was read.
#include <gtest/gtest.h>

#include <string>

#include "caption_text.h"

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

TEST(Caption, SaysWhenWorkedOutBeforeAnyFrame) {
    EXPECT_EQ(CaptionWorkedOutTooEarly("t = <<${ } variable 'number' undefined>> kyr"),
              "display/caption: ${number} was worked out as config.txt was read, before any frame; write the "
              "caption inside ${: ...}, as in caption = ${:t = ${* ${number} 10} kyr}, to work it out for each frame");
    EXPECT_EQ(CaptionWorkedOutTooEarly("t = <<${ } variable 'speed' undefined>>"), "");
    EXPECT_EQ(CaptionWorkedOutTooEarly("t = ${* ${number} 10} kyr"), "");
}

}  // namespace
