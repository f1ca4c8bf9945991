#include "shell/cmdline.h"

#include <cstring>

#include "destination/pathchar.h"

// The longest argument that can be valid ("/VERYSILENT", or a switch with '=' and a 259-character
// value) fits; anything longer is bad whatever it says, so it need not be kept.
enum { kArgumentSize = 300, kValueSize = 260 };

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Compares a switch name of the given length with an upper-case name, ignoring ASCII case only.
static bool IsSwitch(const char* name, std::size_t length, const char* upper)
{
    if (std::strlen(upper) != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        char c = name[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[i])
            return false;
    }
    return true;
}

// Typed into the path field, every character must arrive there: backspace passes the filter but
// deletes instead.
static bool IsTypedPath(const char* value)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(value); *p != '\0'; ++p)
        if (*p == 8 || !IsPathCharacter(*p))
            return false;
    return true;
}

static bool HasControlCharacter(const char* value)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(value); *p != '\0'; ++p)
        if (*p < ' ' || *p == 127)
            return true;
    return false;
}

const char* const kNoEffectSwitches[kNoEffectSwitchCount] = {
    "SP-", "SUPPRESSMSGBOXES", "NORESTART", "CLOSEAPPLICATIONS", "NOCLOSEAPPLICATIONS",
    "RESTARTAPPLICATIONS", "NORESTARTAPPLICATIONS", "ALLUSERS", "LANG"};

// A destination a deployment tool names must not depend on the current directory: "x:\" first.
static bool IsFullPath(const char* value)
{
    char drive = static_cast<char>(value[0] & ~0x20);
    return drive >= 'A' && drive <= 'Z' && value[1] == ':' && value[2] == '\\';
}

// Decimal digits only, within what an exit code of a 32-bit program can carry as a positive number.
static bool TakeExitCode(const char* value, long* code)
{
    if (value == nullptr || *value == '\0')
        return false;
    long long number = 0;
    for (const char* p = value; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        number = number * 10 + (*p - '0');
        if (number > 2147483647LL)
            return false;
    }
    *code = static_cast<long>(number);
    return true;
}

// Takes a required, non-empty value of at most 259 characters into target.
static bool TakeValue(const char* value, char* target)
{
    std::size_t length = value == nullptr ? 0 : std::strlen(value);
    if (length == 0 || length >= kValueSize)
        return false;
    std::memcpy(target, value, length + 1);
    return true;
}

// Judges one argument with its quotes removed.
static bool ApplyArgument(const char* argument, CommandLine* out)
{
    if (argument[0] != '/' && argument[0] != '-')
        return false;
    const char* name = argument + 1;
    const char* equals = std::strchr(name, '=');
    std::size_t length = equals != nullptr ? static_cast<std::size_t>(equals - name) : std::strlen(name);
    const char* value = equals != nullptr ? equals + 1 : nullptr;

    if (IsSwitch(name, length, "VERYSILENT")) {
        out->mode = RunMode::VerySilent;
        return value == nullptr;
    }
    if (IsSwitch(name, length, "SILENT")) {
        if (out->mode == RunMode::Interactive)
            out->mode = RunMode::Silent;
        return value == nullptr;
    }
    if (IsSwitch(name, length, "?") || IsSwitch(name, length, "HELP")) {
        out->help = true;
        return value == nullptr;
    }
    static const struct {
        const char* name;
        bool CommandLine::*flag;
    } kFlags[] = {{"UNINSTALL", &CommandLine::uninstall}, {"NOCANCEL", &CommandLine::noCancel},
                  {"NOICONS", &CommandLine::noIcons}};
    for (const auto& flag : kFlags) {
        if (IsSwitch(name, length, flag.name)) {
            out->*flag.flag = true;
            return value == nullptr;
        }
    }
    if (IsSwitch(name, length, "RESTARTEXITCODE")) {
        if (out->haveRestartExitCode || !TakeExitCode(value, &out->restartExitCode))
            return false;
        out->haveRestartExitCode = true;
        return true;
    }
    for (unsigned i = 0; i < kNoEffectSwitchCount; ++i) {
        if (!IsSwitch(name, length, kNoEffectSwitches[i]))
            continue;
        out->noEffect |= 1u << i;
        // Only /LANG names something: a language, which this setup has one of.
        bool takesValue = i + 1 == kNoEffectSwitchCount;
        return takesValue ? value != nullptr && *value != '\0' && !HasControlCharacter(value) : value == nullptr;
    }
    if (IsSwitch(name, length, "DIR")) {
        if (out->haveDirectory || value == nullptr || !IsTypedPath(value) || !IsFullPath(value) ||
            std::strlen(value) > kMaxDirectoryLength || !TakeValue(value, out->directory))
            return false;
        out->haveDirectory = true;
        return true;
    }
    if (IsSwitch(name, length, "LOG")) {
        if (out->log)
            return false;
        out->log = true;
        return value == nullptr || (!HasControlCharacter(value) && TakeValue(value, out->logFile));
    }
    return false;
}

// Keeps the argument as typed for the message, cut with "..." when long.
static void NameBadArgument(const char* start, std::size_t length, CommandLine* out)
{
    if (length > kShownArgumentLength) {
        std::memcpy(out->bad, start, kShownArgumentLength - 3);
        std::memcpy(out->bad + kShownArgumentLength - 3, "...", 4);
    } else {
        std::memcpy(out->bad, start, length);
        out->bad[length] = '\0';
    }
}

bool ParseCommandLine(const char* arguments, CommandLine* out)
{
    *out = CommandLine();
    const char* p = arguments != nullptr ? arguments : "";
    bool valid = true;
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == '\0')
            return valid;
        const char* start = p;
        char argument[kArgumentSize];
        std::size_t length = 0;
        bool quoted = false;
        bool fits = true;
        for (; *p != '\0' && (quoted || !IsBlank(*p)); ++p) {
            if (*p == '"') {
                quoted = !quoted;
            } else if (length + 1 < sizeof argument) {
                argument[length++] = *p;
            } else {
                fits = false;
            }
        }
        argument[length] = '\0';
        // After a bad argument the rest is still read, so that /VERYSILENT and /LOG decide how
        // the error is reported; the first bad one is the one named.
        if ((quoted || !fits || !ApplyArgument(argument, out)) && valid) {
            NameBadArgument(start, static_cast<std::size_t>(p - start), out);
            valid = false;
        }
    }
}
