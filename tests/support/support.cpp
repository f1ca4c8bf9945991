#include "tests/support/support.h"

#include <cstdio>

#include "shell/shell.h"

std::string TestDirectory()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path);
    return text.substr(0, text.find_last_of('\\') + 1);
}

VariantStrings::VariantStrings(const char* name)
    : library_(LoadLibraryExA((TestDirectory() + name + ".dll").c_str(), nullptr,
                              LOAD_LIBRARY_AS_DATAFILE)),
      previous_(moduleInstance)
{
    if (library_ != nullptr)
        moduleInstance = reinterpret_cast<HINSTANCE>(library_);
}

VariantStrings::~VariantStrings()
{
    moduleInstance = previous_;
    if (library_ != nullptr)
        FreeLibrary(library_);
}

bool ReadWholeFile(const std::string& path, std::string* contents)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    contents->clear();
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        contents->append(block, got);
    std::fclose(file);
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& contents)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool ok = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    return std::fclose(file) == 0 && ok;
}

static void RemoveTree(const std::string& directory)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = directory + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full + "\\");
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

ScratchDirectory::ScratchDirectory()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter;
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%sqvxtest%lu_%u\\", temp, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
    }
}

ScratchDirectory::~ScratchDirectory()
{
    RemoveTree(path_);
}

void PumpMessages(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
}
