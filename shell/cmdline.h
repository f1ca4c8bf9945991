// The unattended switches on the setup's command line. Portable: no platform headers.
//
//   /SILENT            only the progress dialog shows
//   /VERYSILENT        nothing shows (wins over /SILENT, in either order)
//   /DIR=path          the destination, exactly as the path field would take it typed
//   /LOG[=file]        a plain-text log; without a file the default name
//   /? or /HELP        the list of switches
//
// Switches start with '/' or '-' and ignore case; '=' joins a value. Double quotes group blanks
// and are removed wherever they stand, so they may wrap the value or the whole argument. A
// backslash is an ordinary character ("c:\dir\" stays as it is).
#pragma once

enum class RunMode { Interactive, Silent, VerySilent };

struct CommandLine {
    RunMode mode = RunMode::Interactive;
    bool help = false;
    bool haveDirectory = false;
    char directory[260] = "";
    bool log = false;        // /LOG given
    char logFile[260] = "";  // "" with log: the default name
    char bad[260] = "";      // the offending argument as typed when parsing fails (long ones cut)
};

// The longest offending argument kept whole in CommandLine::bad; a longer one is cut and ends
// in "...". Short enough that the argument and its message fit one 260-byte buffer.
enum { kShownArgumentLength = 160 };

// Parses the command line after the program name (WinMain's lpCmdLine). Returns false when it is
// bad: an unknown switch or a stray word, a value that is missing, empty, longer than 259
// characters or not allowed, a value given to a switch that takes none, an unterminated quote, or
// a second /DIR or /LOG. A /DIR value may hold only characters the path field accepts as typed.
// out is reset first; on failure out->bad names the first bad argument, and the switches after
// it are still taken (so that /VERYSILENT and /LOG still apply to reporting the error).
bool ParseCommandLine(const char* arguments, CommandLine* out);
