// Files for the copy and shared-file tests: contents, compressed files and the failure text.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "install/copy.h"
#include "install/install.h"
#include "install/progress.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/support.h"
#include "tools/szdd.h"

inline std::string FailureText(const std::string& listed)
{
    return "Unable to copy file [" + listed + "].  Attempt to manually copy the file, setup will continue.";
}

// Bytes that no block boundary or run of repeats can hide in.
inline std::string Pattern(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (char& c : data)
        c = static_cast<char>(random());
    return data;
}

// data compressed by the distribution builder's compressor, recording lastCharacter.
inline std::string Packed(const std::string& data, char lastCharacter)
{
    std::vector<unsigned char> packed;
    CompressSzdd(reinterpret_cast<const unsigned char*>(data.data()), data.size(), lastCharacter, &packed);
    return std::string(packed.begin(), packed.end());
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The whole file, or "<missing>" when it cannot be read.
inline std::string Contents(const std::string& path)
{
    std::string contents;
    return ReadWholeFile(path, &contents) ? contents : "<missing>";
}

// A title window owning the progress dialog, and an empty source directory and a destination
// set as the setup's own: what every file operation runs against.
class FileInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        moduleInstance = GetModuleHandleA(nullptr);
        mainWindow = CreateWindowA("STATIC", "title", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                   moduleInstance, nullptr);
        ASSERT_NE(mainWindow, nullptr);
        progressDialog = CreateDialogParamA(moduleInstance, MAKEINTRESOURCEA(101), mainWindow, ProgressDialogProc, 0);
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
        writeCopyBlock = savedWrite;  // whatever a test put in the copy's seams
        allocateCopyBlock = savedAllocate;
        DestroyWindow(progressDialog);
        DestroyWindow(mainWindow);
        progressDialog = mainWindow = nullptr;
        barControl = fileTextControl = destinationTextControl = nullptr;
    }

    decltype(writeCopyBlock) savedWrite = writeCopyBlock;
    decltype(allocateCopyBlock) savedAllocate = allocateCopyBlock;
    ScratchDirectory scratch;
    std::string source;
    std::string destination;
};
