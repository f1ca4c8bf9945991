#include <gtest/gtest.h>

#include <string>

#include "shell/cmdline.h"

struct CommandLineCase {
    const char* line;
    const char* bad;  // nullptr: accepted
    RunMode mode;
    const char* directory;  // nullptr: no /DIR
    const char* logFile;    // nullptr: no /LOG
    bool help;
};

static const RunMode I = RunMode::Interactive, S = RunMode::Silent, V = RunMode::VerySilent;

static const CommandLineCase kCases[] = {
    {"", nullptr, I, nullptr, nullptr, false},
    {" /VERYSILENT  /dir=\"c:\\opos\\qvx\"", nullptr, V, "c:\\opos\\qvx", nullptr, false},
    {"-silent /LOG", nullptr, S, nullptr, "", false},
    {"\"/DIR=c:\\x\"\t/Log=\"c:\\l b.txt\" -HeLp", nullptr, I, "c:\\x", "c:\\l b.txt", true},
    {"/VERYSILENT /DIR=\"c:\\x\" /LOG=\"c:\\l.txt\"", nullptr, V, "c:\\x", "c:\\l.txt", false},
    {"/SILENT /VERYSILENT", nullptr, V, nullptr, nullptr, false},
    {"/veryS\"ilent\" -SILENT /?", nullptr, V, nullptr, nullptr, true},
    {"/DIR=d:\\x\\", nullptr, I, "d:\\x\\", nullptr, false},
    // Missing, empty or unwanted values, unknown switches, stray words, repeats, open quotes.
    {"/SILENT /DIR", "/DIR", S, nullptr, nullptr, false},
    {"/DIR= /SILENT", "/DIR=", S, nullptr, nullptr, false},
    {"/DIR=\"\"", "/DIR=\"\"", I, nullptr, nullptr, false},
    {"/LOG=", "/LOG=", I, nullptr, nullptr, false},
    {"/VERYSILENT /SILENT=x /LOG", "/SILENT=x", V, nullptr, "", false},
    {"/QUIET", "/QUIET", I, nullptr, nullptr, false},
    {"/SILENTLY", "/SILENTLY", I, nullptr, nullptr, false},
    {"/ -SILENT", "/", S, nullptr, nullptr, false},
    {"silent", "silent", I, nullptr, nullptr, false},
    {"/SILENT \"\"", "\"\"", S, nullptr, nullptr, false},
    {"/DIR=c:\\a /DIR=c:\\a", "/DIR=c:\\a", I, nullptr, nullptr, false},
    {"/LOG /LOG=x", "/LOG=x", I, nullptr, nullptr, false},
    {"/SILENT /LOG=\"c:\\l.txt", "/LOG=\"c:\\l.txt", S, nullptr, nullptr, false},
    // A /DIR value the path field would not take as typed: never dropped silently.
    {"/DIR=\"c:\\a b\" -verysilent /log=c:\\l.txt", "/DIR=\"c:\\a b\"", V, nullptr, "c:\\l.txt", false},
    {"/DIR=c:\\a.b", "/DIR=c:\\a.b", I, nullptr, nullptr, false},
    {"/DIR=c:/a", "/DIR=c:/a", I, nullptr, nullptr, false},
    {"/DIR=c:\\a\bb", "/DIR=c:\\a\bb", I, nullptr, nullptr, false},
    {"/DIR=c:\\\xE9t\xE9", "/DIR=c:\\\xE9t\xE9", I, nullptr, nullptr, false},
    {"/LOG=\"c:\\l\x01\"", "/LOG=\"c:\\l\x01\"", I, nullptr, nullptr, false},
};

TEST(ParseCommandLine, AcceptsTheSwitchesAndNamesTheFirstBadArgument)
{
    for (const CommandLineCase& c : kCases) {
        CommandLine parsed;
        bool ok = ParseCommandLine(c.line, &parsed);
        SCOPED_TRACE(c.line);
        ASSERT_EQ(ok, c.bad == nullptr);
        // Switches after a bad argument still decide how the error is reported.
        EXPECT_EQ(parsed.mode, c.mode);
        if (c.logFile != nullptr) {
            EXPECT_STREQ(parsed.logFile, c.logFile);
        }
        if (!ok) {
            EXPECT_STREQ(parsed.bad, c.bad);
            continue;
        }
        EXPECT_EQ(parsed.help, c.help);
        EXPECT_EQ(parsed.haveDirectory, c.directory != nullptr);
        EXPECT_STREQ(parsed.directory, c.directory != nullptr ? c.directory : "");
        EXPECT_EQ(parsed.log, c.logFile != nullptr);
        EXPECT_STREQ(parsed.logFile, c.logFile != nullptr ? c.logFile : "");
    }
}

TEST(ParseCommandLine, RefusesValuesBeyond259CharactersInsteadOfCuttingThem)
{
    for (std::size_t length : {259u, 260u, 400u}) {
        std::string value = "c:\\" + std::string(length - 3, 'a');
        for (const std::string& line : {"/DIR=" + value, "/LOG=\"" + value + "\"", "\"/DIR=" + value + "\""}) {
            CommandLine parsed;
            bool ok = ParseCommandLine(line.c_str(), &parsed);
            ASSERT_EQ(ok, length == 259) << line;
            if (ok)
                EXPECT_EQ(value, line[1] == 'L' ? parsed.logFile : parsed.directory);
            else
                EXPECT_EQ(line.substr(0, kShownArgumentLength - 3) + "...", parsed.bad);
        }
    }
}
