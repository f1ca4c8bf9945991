// Small helpers shared by the Windows tests.
#pragma once
#include <windows.h>

#include <string>

// Directory of the running test program, with a trailing backslash.
std::string TestDirectory();

// Loads a resource-only DLL built from tests/win/variants/NAME.rc and makes it the module
// instance the text services load from. The destructor restores the previous instance.
class VariantStrings {
public:
    explicit VariantStrings(const char* name);
    ~VariantStrings();
    VariantStrings(const VariantStrings&) = delete;
    VariantStrings& operator=(const VariantStrings&) = delete;
    bool loaded() const { return library_ != nullptr; }

private:
    HMODULE library_;
    HINSTANCE previous_;
};

// Reads a whole file; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string* contents);
bool WriteWholeFile(const std::string& path, const std::string& contents);

// A fresh empty directory under the test's temporary area, removed (with its contents) by the
// destructor.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::string& path() const { return path_; }  // ends with a backslash

private:
    std::string path_;
};

// Pumps this thread's messages for about the given time.
void PumpMessages(DWORD milliseconds);
