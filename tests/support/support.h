// Small helpers shared by the Windows tests.
#pragma once
#include <windows.h>

#include <string>

std::string TestDirectory();  // of the running test program, with a trailing backslash
// One visible top-level window for the whole program (Wine without a window manager takes seconds
// to withdraw one), enabled on each call.
HWND TestWindow();
bool ReadWholeFile(const std::string& path, std::string* contents);  // false when unreadable
bool WriteWholeFile(const std::string& path, const std::string& contents);

// While it lives, the text services load from the DLL built from tests/win/variants/NAME.rc.
class VariantStrings {
public:
    explicit VariantStrings(const char* name);
    ~VariantStrings();
    bool loaded() const { return library_ != nullptr; }

private:
    HMODULE library_;
    HINSTANCE previous_;
};

// A fresh empty directory in the temporary area, removed with its contents when it goes.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    const std::string& path() const { return path_; }  // ends with a backslash

private:
    std::string path_;
};
