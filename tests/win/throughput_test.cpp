// The setup's expansion against the platform's own expand.exe on the sample distribution: both
// must give the same bytes; the speed of each is printed for comparison.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "install/copy.h"
#include "install/install.h"
#include "resources/resource.h"
#include "shell/shell.h"
#include "tests/support/support.h"

static std::vector<std::string> CompressedFiles(const std::string& dist)
{
    std::vector<std::string> names;
    for (const char* sub : {"", "SAMPLE\\"}) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((dist + sub + "*_").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        do
            names.push_back(std::string(sub) + found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return names;
}

static double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

static bool RunExpand(const std::string& source, const std::string& target)
{
    std::string command = "expand.exe \"" + source + "\" \"" + target + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return false;
    bool done = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return done;
}

TEST(Throughput, CopyExpandFileAgreesWithExpandOnTheSampleDistribution)
{
    moduleInstance = GetModuleHandleA(nullptr);
    std::string dist = TestDirectory() + "..\\dist\\";
    std::vector<std::string> names = CompressedFiles(dist);
    ASSERT_GE(names.size(), 14u) << "no sample distribution in " << dist;

    ScratchDirectory ours, theirs;
    totalBytes = 0;
    bytesCopied = 0;
    std::vector<std::string> outputs;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (const auto& name : names) {
        char destination[kBufferSize];
        std::snprintf(destination, sizeof destination, "%s%s", ours.path().c_str(), name.c_str());
        ASSERT_EQ(CopyExpandFile(IDS_PRODUCT_BASE, destination, (dist + name).c_str()), 1) << name;
        outputs.push_back(destination);
    }
    QueryPerformanceCounter(&end);
    double oursSeconds = Seconds(start, end);
    double megabytes = static_cast<double>(bytesCopied) / 1e6;
    ASSERT_GT(megabytes, 2.0);

    CreateDirectoryA((theirs.path() + "SAMPLE").c_str(), nullptr);
    QueryPerformanceCounter(&start);
    for (size_t i = 0; i < names.size(); ++i) {
        std::string target = theirs.path() + outputs[i].substr(ours.path().size());
        ASSERT_TRUE(RunExpand(dist + names[i], target)) << names[i];
    }
    QueryPerformanceCounter(&end);
    double theirsSeconds = Seconds(start, end);

    for (size_t i = 0; i < names.size(); ++i) {
        std::string mine, platform;
        ASSERT_TRUE(ReadWholeFile(outputs[i], &mine));
        ASSERT_TRUE(ReadWholeFile(theirs.path() + outputs[i].substr(ours.path().size()), &platform))
            << names[i];
        EXPECT_TRUE(mine == platform) << names[i];
    }
    std::printf("%zu files, %.2f MB expanded: CopyExpandFile %.3f s (%.1f MB/s), expand.exe %.3f s "
                "(%.1f MB/s, one process per file)\n",
                names.size(), megabytes, oursSeconds, megabytes / oursSeconds, theirsSeconds,
                megabytes / theirsSeconds);
}
