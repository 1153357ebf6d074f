// A configuration file written as a user would write it, read through the
// public constructor and look-ups alone.
#include <gtest/gtest.h>

#include <climits>

#include "config_test_support.h"
#include "diagnostics.h"

// Made during static initialisation by static_init_store.cpp.
extern ConfigStore early_store;
extern int early_tesel;

namespace {

TEST(EndToEnd, StoreBuiltDuringStaticInitialisation) {
    EXPECT_EQ(early_tesel, 7);
    EXPECT_STREQ(early_store.lookup("a", ""), "<<${ } variable 'nosuch' undefined>>");
    EXPECT_STREQ(early_store.lookup("b", ""), "<<${ } variable 'gone' undefined>>");
}

std::string user_file(const std::string& line_end) {
    std::string lines[] = {
        "# Pelorin settings",
        "[data]",
        "dir = terrain",
        "file = '${dir}/hills one.txt'   # quotes keep the blank",
        "",
        "[display]",
        "sphere-r = ${/ 3 4}",
        "quality = high",
        "sphere-tesel = ${?? ${== ${quality} low medium high} 0 4 8 12}",
        "title = ''",
        "greeting = Hello\\ World",
        "note = x\ry",
        "[./colours]",
        "doubled = ${* ${display/sphere-tesel} 2}",
        "[paths/]",
        "root=/usr",
        "huge = 1e12",
        "list = 'a b c'",
        "pick = ${@ list 2.6}",
        "swap = '${<-> aXa a aa} ${<-> x ${:} y}'",
        "loop = ${:${!loop}}",
        "deep = ${!loop}",
        "n0 = x",
    };
    std::string text;
    for (const std::string& line : lines) text += line + line_end;
    // A chain whose work doubles with every line.
    for (int k = 1; k <= 30; ++k) {
        const std::string previous = "${!n" + std::to_string(k - 1) + "}";
        text += "n" + std::to_string(k) + " = ${:${&" + previous + previous + "}}" + line_end;
    }
    return text + "small = ${!n2}" + line_end + "costly = ${!n30}" + line_end + "last = done";
}

TEST(EndToEnd, UserFileWithCrlfLineEnds) {
    const TemporaryFile file(user_file("\r\n"));
    CapturedStderr err;
    ConfigStore config(file.path());
    EXPECT_EQ(err.text(), "## expr = <4><4>\n## result = 0.75\n");

    EXPECT_STREQ(config.lookup("data/file", "data.txt"), "terrain/hills one.txt");
    EXPECT_EQ(config.lookup("display/sphere-r", 0.5), 0.75);
    EXPECT_EQ(config.lookup("display/sphere-tesel", 6), 8);
    EXPECT_EQ(err.text(), "## expr = <4><4>\n## result = 0.75\n## original = 8\n");
    EXPECT_STREQ(config.lookup("display/title", "none"), "");
    EXPECT_STREQ(config.lookup("display/greeting", ""), "Hello World");
    EXPECT_STREQ(config.lookup("display/note", ""), "x\ry");
    EXPECT_EQ(config.lookup("display/colours/doubled", 0.0), 16.0);
    EXPECT_EQ(config.lookup("paths/huge", 0), INT_MAX);
    EXPECT_STREQ(config.lookup("paths/root", ""), "/usr");
    EXPECT_STREQ(config.lookup("paths/pick", ""), "<<1st index out of range>>");
    EXPECT_STREQ(config.lookup("paths/swap", ""), "aaXaa x");
    EXPECT_STREQ(config.lookup("paths/deep", ""), "<<${ } expression nested too deeply>>");
    EXPECT_STREQ(config.lookup("paths/small", ""), "xxxx");
    EXPECT_STREQ(config.lookup("paths/costly", ""), "<<${ } expression too costly>>");
    EXPECT_STREQ(config.lookup("paths/last", ""), "done");
    EXPECT_STREQ(config.lookup("display/file", "none"), "none");
}

// The ASCII text as UTF-16 with its byte order mark.
std::string utf16(const std::string& text, bool big_endian) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) bytes += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
}

// Files as some editors save them: a UTF-8 byte order mark is skipped, so
// the first label still opens its section; a UTF-16 file is not read, and
// says so once however many stores read it.
TEST(EndToEnd, FilesStartingWithAByteOrderMark) {
    const std::string settings = "[display]\r\nsphere-r = 0.5\r\n";
    const struct {
        const char* why;
        std::string bytes;
        const char* radius;
        bool is_utf16;
    } cases[] = {
        {"UTF-8", "\xEF\xBB\xBF" + settings, "0.5", false},
        {"UTF-16, little-endian", utf16(settings, false), "none", true},
        {"UTF-16, big-endian", utf16(settings, true), "none", true},
    };
    for (const auto& c : cases) {
        const TemporaryFile file(c.bytes);
        CapturedStderr err;
        const ConfigStore first(file.path());
        const ConfigStore second(file.path());
        EXPECT_STREQ(second.lookup("display/sphere-r", "none"), c.radius) << c.why;
        const std::string warning = "warning: configuration file '" + std::string(file.path()) +
                                    "' is UTF-16 text and is not read; save it as UTF-8\n";
        EXPECT_EQ(err.text(), c.is_utf16 ? warning : "") << c.why;
    }
}

// A store given a sink of its own says there what it would say on standard
// error: the division trace, the integer look-up's line, and a file's
// warning, once to each sink however many of its stores read the file.
TEST(EndToEnd, AStoreGivenASinkSaysItThere) {
    const TemporaryFile file(utf16("[display]\r\n", false));
    const char* const arguments[] = {"prog", "[display]", "sphere-tesel=${/ 8 4}"};
    CapturedStderr err;
    CollectedDiagnostics first, second;
    const ConfigStore divided(3, arguments, nullptr, first);
    EXPECT_EQ(divided.lookup("display/sphere-tesel", 6), 2);
    const ConfigStore once(file.path(), nullptr, nullptr, nullptr, first);
    const ConfigStore again(file.path(), nullptr, nullptr, nullptr, first);
    const ConfigStore elsewhere(file.path(), nullptr, nullptr, nullptr, second);
    EXPECT_EQ(err.text(), "");
    const auto lines = [](const CollectedDiagnostics& sink) {
        std::vector<std::string> said;
        for (const auto& entry : sink.entries) {
            said.push_back((entry.severity == Severity::warning ? "warning: " : "note: ") + entry.text);
        }
        return said;
    };
    const std::string warning = "warning: configuration file '" + std::string(file.path()) +
                                "' is UTF-16 text and is not read; save it as UTF-8";
    EXPECT_EQ(lines(first), (std::vector<std::string>{"note: ## expr = <4><4>", "note: ## result = 2",
                                                      "note: ## original = 2.000000e+000", warning}));
    EXPECT_EQ(lines(second), std::vector<std::string>{warning});
}

TEST(EndToEnd, CrlfAndLfFilesMeanTheSame) {
    const TemporaryFile crlf(user_file("\r\n"));
    const TemporaryFile lf(user_file("\n"));
    CapturedStderr err;
    ConfigStore from_crlf(crlf.path());
    ConfigStore from_lf(lf.path());
    ASSERT_EQ(from_crlf.variable_list.size(), from_lf.variable_list.size());
    for (const ConfigStore::variable& v : from_lf.variable_list) {
        EXPECT_STREQ(from_crlf.lookup(v.name.c_str(), "missing"), v.original.c_str()) << v.name;
    }
}

}  // namespace
