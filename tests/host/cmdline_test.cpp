#include <gtest/gtest.h>

#include <string>

#include "shell/cmdline.h"

static const RunMode I = RunMode::Interactive, S = RunMode::Silent, V = RunMode::VerySilent;
static const char* const none = nullptr;

TEST(ParseCommandLine, AcceptsTheSwitchesAndNamesTheFirstBadArgument)
{
    // bad: nullptr when accepted; directory, logFile: nullptr when not given.
    const struct { const char *line, *bad; RunMode mode; const char *directory, *logFile; bool help; } rows[] = {
        {"", none, I, none, none, false}, {"-silent /LOG", none, S, none, "", false},
        {" /VERYSILENT  /dir=\"c:\\opos\\qvx\"", none, V, "c:\\opos\\qvx", none, false},
        {"\"/DIR=c:\\x\"\t/Log=\"c:\\l b.txt\" -HeLp", none, I, "c:\\x", "c:\\l b.txt", true},
        {"/veryS\"ilent\" -SILENT /?", none, V, none, none, true}, {"/DIR=d:\\x\\", none, I, "d:\\x\\", none, false},
        // Missing, empty or unwanted values, unknown switches, stray words, repeats, open quotes.
        {"/SILENT /DIR", "/DIR", S, none, none, false}, {"/DIR= /SILENT", "/DIR=", S, none, none, false},
        {"/DIR=\"\"", "/DIR=\"\"", I, none, none, false}, {"/LOG=", "/LOG=", I, none, none, false},
        {"/VERYSILENT /SILENT=x /LOG", "/SILENT=x", V, none, "", false}, {"/QUIET", "/QUIET", I, none, none, false},
        {"/SILENTLY", "/SILENTLY", I, none, none, false}, {"/ -SILENT", "/", S, none, none, false},
        {"silent", "silent", I, none, none, false}, {"/SILENT \"\"", "\"\"", S, none, none, false},
        {"/DIR=c:\\a /DIR=c:\\a", "/DIR=c:\\a", I, none, none, false}, {"/LOG /LOG=x", "/LOG=x", I, none, none, false},
        {"/SILENT /LOG=\"c:\\l.txt", "/LOG=\"c:\\l.txt", S, none, none, false},
        // A /DIR value the path field would not take as typed: never dropped silently.
        {"/DIR=\"c:\\a b\" -verysilent /log=c:\\l.txt", "/DIR=\"c:\\a b\"", V, none, "c:\\l.txt", false},
        {"/DIR=c:\\a.b", "/DIR=c:\\a.b", I, none, none, false}, {"/DIR=c:/a", "/DIR=c:/a", I, none, none, false},
        {"/DIR=c:\\a\bb", "/DIR=c:\\a\bb", I, none, none, false},  // backspace edits, is never typed
        {"/DIR=c:\\\xE9t\xE9", "/DIR=c:\\\xE9t\xE9", I, none, none, false},
        {"/LOG=\"c:\\l\x01\"", "/LOG=\"c:\\l\x01\"", I, none, none, false},
    };
    for (const auto& row : rows) {
        CommandLine parsed;
        bool ok = ParseCommandLine(row.line, &parsed);
        SCOPED_TRACE(row.line);
        ASSERT_EQ(ok, row.bad == nullptr);
        // Switches after a bad argument still decide how the error is reported.
        EXPECT_EQ(parsed.mode, row.mode);
        EXPECT_STREQ(ok ? "" : parsed.bad, ok ? "" : row.bad);
        EXPECT_STREQ(parsed.logFile, row.logFile != nullptr ? row.logFile : "");
        if (ok) {
            EXPECT_EQ(parsed.help, row.help);
            EXPECT_EQ(parsed.haveDirectory, row.directory != nullptr);
            EXPECT_STREQ(parsed.directory, row.directory != nullptr ? row.directory : "");
            EXPECT_EQ(parsed.log, row.logFile != nullptr);
        }
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
