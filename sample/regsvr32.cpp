// REGSVR32.EXE: registers or unregisters an in-process COM server.
//   REGSVR32 [/u] [/s] FILE
// /u calls DllUnregisterServer instead of DllRegisterServer; /s shows no message box.
// Exit codes: 0 done, 1 bad command line, 2 OLE not available, 3 the file does not load,
// 4 no such entry point, 5 the entry point reported a failure.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstring>

static bool silent;

static int Report(int code, UINT icon, const char* format, const char* file, long detail = 0)
{
    if (!silent) {
        char text[MAX_PATH + 200];
        std::snprintf(text, sizeof text, format, file, detail);
        MessageBoxA(nullptr, text, "REGSVR32", MB_OK | icon);
    }
    return code;
}

// Splits the command line into its words; a quoted word may hold blanks.
static int SplitWords(char* line, char** words, int most)
{
    int count = 0;
    while (*line != '\0' && count < most) {
        while (*line == ' ' || *line == '\t')
            ++line;
        if (*line == '\0')
            break;
        bool quoted = *line == '"';
        if (quoted)
            ++line;
        words[count++] = line;
        while (*line != '\0' && (quoted ? *line != '"' : *line != ' ' && *line != '\t'))
            ++line;
        if (*line != '\0')
            *line++ = '\0';
    }
    return count;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    char* words[8];
    int count = SplitWords(commandLine, words, 8);
    bool unregister = false;
    bool usage = false;
    const char* file = nullptr;
    for (int i = 0; i < count && !usage; ++i) {
        const char* word = words[i];
        if ((word[0] == '/' || word[0] == '-') && word[1] != '\0' && word[2] == '\0') {
            char option = static_cast<char>(word[1] | 0x20);
            unregister = unregister || option == 'u';
            silent = silent || option == 's';
            usage = option != 'u' && option != 's';
        } else {
            usage = file != nullptr;  // one file at a time
            file = word;
        }
    }
    if (usage || file == nullptr)
        return Report(1, MB_ICONINFORMATION, "Usage: REGSVR32 [/u] [/s] file%s", "");

    if (FAILED(OleInitialize(nullptr)))
        return Report(2, MB_ICONSTOP, "OLE could not be initialised to register %s.", file);
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    int code;
    HMODULE library = LoadLibraryExA(file, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr) {
        code = Report(3, MB_ICONSTOP, "%s could not be loaded (error %ld).", file,
                      static_cast<long>(GetLastError()));
    } else {
        auto call = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(GetProcAddress(library, entry)));
        if (call == nullptr) {
            code = Report(4, MB_ICONSTOP, unregister ? "%s has no DllUnregisterServer entry point."
                                                     : "%s has no DllRegisterServer entry point.",
                          file);
        } else {
            HRESULT result = call();
            if (FAILED(result))
                code = Report(5, MB_ICONSTOP,
                              unregister ? "DllUnregisterServer in %s failed (0x%08lX)."
                                         : "DllRegisterServer in %s failed (0x%08lX).",
                              file, static_cast<long>(result));
            else
                code = Report(0, MB_ICONINFORMATION,
                              unregister ? "DllUnregisterServer in %s succeeded."
                                         : "DllRegisterServer in %s succeeded.",
                              file);
        }
        FreeLibrary(library);
    }
    OleUninitialize();
    return code;
}
