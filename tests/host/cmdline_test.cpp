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
        // Only a full path: relative ones would land wherever the caller's current directory is.
        {"/DIR=\\QVXROOT\\sub", "/DIR=\\QVXROOT\\sub", I, none, none, false},
        {"/DIR=QVXREL", "/DIR=QVXREL", I, none, none, false}, {"/DIR=c:QVXDR", "/DIR=c:QVXDR", I, none, none, false},
        {"/DIR=1:\\x", "/DIR=1:\\x", I, none, none, false}, {"/DIR=Z:\\", none, I, "Z:\\", none, false},
        // What deployment recipes pass; values only where a switch takes one.
        {"/SP- /VERYSILENT /SUPPRESSMSGBOXES /NORESTART", none, V, none, none, false},
        {"-lang=en /closeapplications /NoCloseApplications /RESTARTAPPLICATIONS /norestartapplications /ALLUSERS",
         none, I, none, none, false},
        {"/NOCANCEL /NOICONS /RESTARTEXITCODE=0 /UNINSTALL", none, I, none, none, false},
        {"/SP-=1", "/SP-=1", I, none, none, false}, {"/SP", "/SP", I, none, none, false},
        {"/LANG", "/LANG", I, none, none, false}, {"/NOICONS=1", "/NOICONS=1", I, none, none, false},
        {"/RESTARTEXITCODE=-1", "/RESTARTEXITCODE=-1", I, none, none, false},
        {"/RESTARTEXITCODE=2147483648", "/RESTARTEXITCODE=2147483648", I, none, none, false},
        {"/RESTARTEXITCODE=1 /RESTARTEXITCODE=1", "/RESTARTEXITCODE=1", I, none, none, false},
        {"/RESTARTEXITCODE=", "/RESTARTEXITCODE=", I, none, none, false},
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

TEST(ParseCommandLine, SwitchesTakeTheirFlagsAndExitCode)
{
    CommandLine parsed;
    ASSERT_TRUE(ParseCommandLine("/NOCANCEL -noicons /RestartExitCode=0042 /UNINSTALL /LANG=de /SP-", &parsed));
    EXPECT_TRUE(parsed.noCancel && parsed.noIcons && parsed.uninstall && parsed.haveRestartExitCode);
    EXPECT_EQ(parsed.restartExitCode, 42);
    EXPECT_EQ(parsed.noEffect, (1u << 0) | (1u << (kNoEffectSwitchCount - 1)));  // /SP- and /LANG
    ASSERT_TRUE(ParseCommandLine("/RESTARTEXITCODE=2147483647", &parsed));
    EXPECT_EQ(parsed.restartExitCode, 2147483647L);
    ASSERT_TRUE(ParseCommandLine("/SILENT", &parsed));
    EXPECT_FALSE(parsed.noCancel || parsed.noIcons || parsed.uninstall || parsed.noEffect);
    EXPECT_EQ(parsed.restartExitCode, 3010);
}

// The destination field holds 254 characters; a longer /DIR once overran the buffers built from it.
TEST(ParseCommandLine, RefusesValuesBeyondTheirRoomInsteadOfCuttingThem)
{
    for (std::size_t length : {254u, 255u, 259u, 260u, 400u}) {
        std::string value = "c:\\" + std::string(length - 3, 'a');
        for (const std::string& line : {"/DIR=" + value, "/LOG=\"" + value + "\"", "\"/DIR=" + value + "\""}) {
            CommandLine parsed;
            bool ok = ParseCommandLine(line.c_str(), &parsed);
            ASSERT_EQ(ok, length <= (line[1] == 'L' ? 259u : 254u)) << line;
            if (ok)
                EXPECT_EQ(value, line[1] == 'L' ? parsed.logFile : parsed.directory);
            else
                EXPECT_EQ(line.substr(0, kShownArgumentLength - 3) + "...", parsed.bad);
        }
    }
}
