// Files for the copy tests: contents, LZ-compressed files and the copy-failure text.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "install/install.h"
#include "install/progress.h"
#include "shell/shell.h"
#include "tests/support/support.h"

inline const char kCaption[] = "OLE for Point of Sale Setup";

inline std::string FailureText(const std::string& listed)
{
    return "Unable to copy file [" + listed + "].  Attempt to manually copy the file, setup will continue.";
}

// Bytes that no block boundary or run of repeats can hide in.
inline std::string Pattern(std::size_t size, unsigned seed)
{
    std::string data(size, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    for (char& c : data) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return data;
}

// An LZ-compressed file as the platform's expansion services read it: the header, then
// literal-only items (a flag byte of 0xFF before every eight bytes). declared is the expanded
// length the header records.
inline std::string Compressed(const std::string& data, char lastCharacter, std::int64_t declared = -1,
                              char algorithm = 'A')
{
    std::uint32_t length = static_cast<std::uint32_t>(declared < 0 ? data.size() : declared);
    std::string out("SZDD\x88\xF0\x27\x33", 8);
    out += algorithm;
    out += lastCharacter;
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>(length >> shift);
    for (std::size_t at = 0; at < data.size(); at += 8) {
        out += '\xFF';
        out += data.substr(at, 8);
    }
    return out;
}

inline bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool IsDirectory(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The whole file, or "<missing>" when it cannot be read.
inline std::string Contents(const std::string& path)
{
    std::string contents;
    return ReadWholeFile(path, &contents) ? contents : "<missing>";
}

// A title window owning the progress dialog, and empty source and destination directories set as
// the setup's own: what every file operation runs against.
class FileInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        moduleInstance = GetModuleHandleA(nullptr);
        mainWindow = CreateWindowA("STATIC", "title", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                                   nullptr, moduleInstance, nullptr);
        ASSERT_NE(mainWindow, nullptr);
        progressDialog =
            CreateDialogParamA(moduleInstance, MAKEINTRESOURCEA(101), mainWindow, ProgressDialogProc, 0);
        ASSERT_NE(progressDialog, nullptr);
        source = scratch.path() + "src\\";
        destination = scratch.path() + "dst\\";
        ASSERT_TRUE(CreateDirectoryA(source.c_str(), nullptr));
        std::strcpy(sourceDirectory, source.c_str());
        std::strcpy(destinationDirectory, destination.c_str());
        bytesCopied = 0;
        totalBytes = 2675000;
    }

    void TearDown() override
    {
        DestroyWindow(progressDialog);
        DestroyWindow(mainWindow);
        progressDialog = nullptr;
        mainWindow = nullptr;
        barControl = fileTextControl = destinationTextControl = nullptr;
    }

    ScratchDirectory scratch;
    std::string source;
    std::string destination;
};
