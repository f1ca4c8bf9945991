// The unattended switches on the setup's command line. Portable: no platform headers.
//
//   /SILENT            only the progress dialog shows
//   /VERYSILENT        nothing shows (wins over /SILENT, in either order)
//   /DIR=path          the destination, exactly as the path field would take it typed
//   /LOG[=file]        a plain-text log; without a file the default name
//   /? or /HELP        the list of switches
//   /UNINSTALL         remove the installed product
//   /NOCANCEL          no Cancel while files are installed
//   /NOICONS           no program group
//   /RESTARTEXITCODE=n the exit code when a restart must finish the work (3010 without it)
//   /SP- /SUPPRESSMSGBOXES /NORESTART /CLOSEAPPLICATIONS /NOCLOSEAPPLICATIONS
//   /RESTARTAPPLICATIONS /NORESTARTAPPLICATIONS /ALLUSERS /LANG=x
//                      passed by deployment recipes; accepted, with nothing to do here
//
// Switches start with '/' or '-' and ignore case; '=' joins a value. Double quotes group blanks
// and are removed wherever they stand, so they may wrap the value or the whole argument. A
// backslash is an ordinary character ("c:\dir\" stays as it is).
#pragma once

enum class RunMode { Interactive, Silent, VerySilent };

// The longest /DIR: what the destination dialog's path field can hold.
enum { kMaxDirectoryLength = 254 };

// Switches that are accepted and change nothing, as bits of CommandLine::noEffect.
enum { kNoEffectSwitchCount = 9 };
extern const char* const kNoEffectSwitches[kNoEffectSwitchCount];  // their names, upper case

struct CommandLine {
    RunMode mode = RunMode::Interactive;
    bool help = false;
    bool uninstall = false;
    bool noCancel = false;
    bool noIcons = false;
    bool haveRestartExitCode = false;
    long restartExitCode = 3010;
    unsigned noEffect = 0;   // bit i: kNoEffectSwitches[i] was given
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
// a second /DIR, /LOG or /RESTARTEXITCODE. A /DIR value may hold only characters the path field
// accepts as typed, at most kMaxDirectoryLength of them, and must be a full path with a drive
// ("c:\..."): a relative one would depend on the current directory of whoever started the setup.
// /RESTARTEXITCODE takes decimal digits only, up to 2147483647.
// out is reset first; on failure out->bad names the first bad argument, and the switches after
// it are still taken (so that /VERYSILENT and /LOG still apply to reporting the error).
bool ParseCommandLine(const char* arguments, CommandLine* out);
