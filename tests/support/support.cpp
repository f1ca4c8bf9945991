#include "tests/support/support.h"

#include <shellapi.h>

#include <fstream>
#include <iterator>

#include "shell/shell.h"

std::string TestDirectory()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path).substr(0, std::string(path).find_last_of('\\') + 1);
}

HWND TestWindow()
{
    static HWND window = CreateWindowA("STATIC", "test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80, 700, 500, nullptr,
                                       nullptr, nullptr, nullptr);
    EnableWindow(window, TRUE);
    return window;
}

bool ReadWholeFile(const std::string& path, std::string* contents)
{
    std::ifstream file(path, std::ios::binary);
    contents->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return file.is_open();
}

bool WriteWholeFile(const std::string& path, const std::string& contents)
{
    std::ofstream file(path, std::ios::binary);
    return static_cast<bool>(file.write(contents.data(), static_cast<std::streamsize>(contents.size())).flush());
}

VariantStrings::VariantStrings(const char* name)
    : library_(LoadLibraryExA((TestDirectory() + name + ".dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)),
      previous_(moduleInstance)
{
    moduleInstance = library_ != nullptr ? reinterpret_cast<HINSTANCE>(library_) : moduleInstance;
}

VariantStrings::~VariantStrings()
{
    moduleInstance = previous_;
    FreeLibrary(library_);
}

ScratchDirectory::ScratchDirectory()
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter;
    do
        path_ = temp + ("qvxtest" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter)) + "\\";
    while (!CreateDirectoryA(path_.c_str(), nullptr));
}

ScratchDirectory::~ScratchDirectory()
{
    std::string list = path_.substr(0, path_.size() - 1) + '\0';  // a list of one ends with two terminators
    SHFILEOPSTRUCTA remove = {nullptr, FO_DELETE, list.c_str(), nullptr,
                              FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT, FALSE, nullptr, nullptr};
    SHFileOperationA(&remove);
}
