#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/options.h"

namespace {

Options parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "comets");
    return parse_options(static_cast<int>(arguments.size()), arguments.data());
}

// Every argument that is not one of the options, and every frame rate that is not a whole
// number from 1 to 1000, is a usage error that names it.
TEST(Options, WrongCommandLinesNameTheirProblem) {
    const struct {
        std::vector<const char*> arguments;
        const char* named;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x"}, "unknown option '-x'"},
        {{"stray"}, "unexpected argument 'stray'"},
        {{"--window", "-"}, "'-'"},
        {{"--fps"}, "'--fps' needs a number"},
        {{"--fps", "0"}, "'0'"},
        {{"--fps", "1001"}, "'1001'"},
        {{"--fps", "60x"}, "'60x'"},
        {{"--fps", "-5"}, "'-5'"},
        {{"--fps", ""}, "''"},
        {{"--fps", " 60"}, "' 60'"},
        {{"--fps=", "60"}, "''"},
        {{"--fps", "99999999999"}, "'99999999999'"},
        {{"--help", "--nope"}, "'--nope'"},
        {{"--window-id"}, "needs a window's id"},
        {{"-window-id", "0"}, "'0'"},
        {{"--window-id", "0x"}, "'0x'"},
        {{"--window-id", "0x123456789"}, "'0x123456789'"},
        {{"--window-id=4294967296"}, "'4294967296'"},
        {{"--window-id", "12a"}, "'12a'"},
        {{"--root", "--window"}, "'--window' does not go with"},
        {{"/s"}, "unexpected argument '/s'"},  // Windows' forms only under a saver's name
    };
    for (const auto& c : cases) {
        const std::string problem = parse(c.arguments).problem;
        EXPECT_NE(problem.find(c.named), std::string::npos) << c.arguments[0] << ": " << problem;
    }
}

TEST(Options, GoodCommandLines) {
    const Options none = parse({});
    EXPECT_TRUE(none.problem.empty() && !none.help && !none.version && !none.window);
    EXPECT_EQ(none.fps, 0);
    EXPECT_TRUE(parse({"-h"}).help && parse({"--help"}).help && parse({"--version"}).version);
    const Options all = parse({"--window", "--fps", "1000"});
    EXPECT_TRUE(all.problem.empty() && all.window);
    EXPECT_EQ(all.fps, 1000);
    EXPECT_EQ(parse({"--fps=1"}).fps, 1);
    EXPECT_EQ(parse({"--fps", "144", "--fps", "60"}).fps, 60);
}

// As a screen hack: --root or --window-id, paced by default. Named *.scr, as Windows runs a
// saver: /s or nothing, /c and /p HWND, in either case, the window also after a colon.
TEST(Options, ScreenSaverCommandLines) {
    const Options root = parse({"-root"});
    EXPECT_EQ(root.saver, Saver::given_window);
    EXPECT_EQ(root.window_id, 0u);
    EXPECT_EQ(root.fps, SAVER_FPS);
    EXPECT_EQ(parse({"--window-id", "0x1A00003"}).window_id, 0x1a00003u);
    EXPECT_EQ(parse({"--window-id=4294967295", "--fps", "5"}).window_id, 4294967295u);
    EXPECT_EQ(parse({"--root", "--fps", "5"}).fps, 5);

    const auto saver = [](std::vector<const char*> arguments) {
        arguments.insert(arguments.begin(), "C:\\Windows\\COMETS.SCR");
        return parse_options(static_cast<int>(arguments.size()), arguments.data());
    };
    for (const auto& arguments : {std::vector<const char*>{}, {"/s"}, {"/S"}}) {
        const Options options = saver(arguments);
        EXPECT_EQ(options.saver, Saver::full_screen);
        EXPECT_EQ(options.fps, SAVER_FPS);
    }
    EXPECT_EQ(saver({"/c"}).saver, Saver::settings);
    EXPECT_EQ(saver({"/c:1234"}).saver, Saver::settings);
    for (const auto& arguments : {std::vector<const char*>{"/p", "1234"}, {"/P:1234"}}) {
        const Options options = saver(arguments);
        EXPECT_EQ(options.saver, Saver::preview);
        EXPECT_EQ(options.window_id, 1234u);
    }
    EXPECT_FALSE(saver({"/p"}).problem.empty());
    EXPECT_FALSE(saver({"/x"}).problem.empty());
}

// A usage error is one line, then the hint, whatever the argument holds: a newline or a
// terminal's escape in it is shown, not passed to the terminal.
TEST(Options, UsageErrorIsOneLineThenTheHint) {
    for (const char* argument : {"a\nb", "-\x1b[2J", "--fps=6\r0"}) {
        const std::string text = usage_error_text(parse({argument}).problem);
        const std::size_t end = text.find('\n');
        EXPECT_EQ(text.substr(end + 1), "Try 'comets --help'.\n") << text;
        EXPECT_EQ(text.find_first_of("\x1b\r"), std::string::npos) << text;
    }
}

}  // namespace
