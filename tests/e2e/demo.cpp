// The README's run command: one whole installation of the sample distribution, walked through
// as a user would (default destination, "Yes" to create it, the default answer elsewhere), with
// a screenshot of each screen, then a report of where everything went.
//
//   qvx_demo --dist=DIR --artifacts=DIR   walk through the setup and report
//   qvx_demo --report                     only report what an installation left behind
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/e2e/driver.h"
#include "tests/e2e/scenario.h"

using namespace e2e;

static void Shoot(const std::string& name)
{
    if (ArtifactDirectory().empty())
        return;
    std::string path = ArtifactDirectory() + name;
    std::printf("  screenshot %s: %s\n", name.c_str(), SaveScreenshot(path) ? "saved" : "FAILED");
}

static void ListDirectory(const std::string& directory, const std::string& indent)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            std::printf("%s%s\\\n", indent.c_str(), name.c_str());
            ListDirectory(directory + name + "\\", indent + "  ");
        } else {
            std::printf("%s%-14s %9lu bytes\n", indent.c_str(), name.c_str(), found.nFileSizeLow);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

static std::string ServerPath(const std::string& progId)
{
    std::string clsid, path;
    if (ReadRegistryString(HKEY_CLASSES_ROOT, progId + "\\CLSID", "", &clsid))
        ReadRegistryString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "", &path);
    return path.empty() ? "(not registered)" : path;
}

// What the installation left behind; false when the device entry is missing.
static bool Report()
{
    std::string service;
    bool registered = ReadRegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, "Service", &service);
    std::printf("\nRegistry entry HKEY_LOCAL_MACHINE\\%s:\n", kDeviceKey);
    if (!registered) {
        std::printf("  (missing)\n");
        return false;
    }
    for (const char* name : {"", "Service", "Version", "Description", "DeviceName", "DeviceDesc"}) {
        std::string value;
        ReadRegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, name, &value);
        std::printf("  %-12s = %s\n", *name ? name : "(default)", value.c_str());
    }
    std::string destination = service.substr(0, service.find_last_of('\\') + 1);
    std::printf("\nFiles in %s:\n", destination.c_str());
    ListDirectory(destination, "  ");
    std::printf("\nCOM servers: CARDSO (QVXSO.QVXMSR) %s\n", ServerPath("QVXSO.QVXMSR").c_str());
    std::string group = StartMenuEntry(kGroup, "");
    std::printf("\nStart menu group: %s\n", group.empty() ? "(missing)" : group.c_str());
    if (!group.empty())
        ListDirectory(group + "\\", "  ");
    return true;
}

static int Walk()
{
    std::string dist = DistDirectory();
    if (dist.empty()) {
        std::fprintf(stderr, "qvx_demo: --dist=DIR is needed\n");
        return 2;
    }
    LetWineManageSetupWindows(false);
    LaunchOptions launch;
    launch.application = dist + "SETUP.EXE";
    launch.workingDirectory = dist;
    SetupProcess setup(launch);
    if (!setup.started()) {
        std::fprintf(stderr, "qvx_demo: cannot start %s (error %lu)\n", launch.application.c_str(),
                     setup.startError());
        return 1;
    }
    setup.AnswerBox(kCreateQuestion, IDYES);
    setup.BeforeAnswer([](const BoxRecord& box) {
        std::printf("  message box (%s): \"%s\" -> button %d\n", OwnerRoleName(box.ownerRole),
                    box.info.text.c_str(), box.answer);
        if (box.info.text == kCompletionMessage) {
            Sleep(800);  // let it paint
            Shoot("3-completion.bmp");
        }
    });

    std::printf("Setup started from %s\n", dist.c_str());
    HWND dialog = setup.WaitForWindow(kDialogClass, kDestinationCaption, 60000);
    if (dialog == nullptr) {
        std::fprintf(stderr, "qvx_demo: no \"Enter Path\" dialog\n");
        return 1;
    }
    Sleep(800);
    Shoot("1-enter-path.bmp");
    std::printf("  destination offered: %s\n", ControlText(GetDlgItem(dialog, 100)).c_str());
    ClickButton(dialog, IDOK);

    // Mid-copy: the large companion data file takes long enough to be caught.
    HWND progress = setup.WaitForWindow(kDialogClass, kProgressCaption, 60000);
    for (DWORD start = GetTickCount(); progress != nullptr && GetTickCount() - start < 60000; Sleep(5)) {
        std::string file = ControlText(GetDlgItem(progress, 104));
        if (file == "CARDSO.DA_" || !IsWindow(progress)) {
            Shoot("2-progress.bmp");
            break;
        }
    }

    DWORD exitCode = STILL_ACTIVE;
    bool ended = setup.WaitForExit(300000, &exitCode);
    std::printf("Setup ended with exit code %lu after %.1f s\n", exitCode,
                (setup.Boxes().empty() ? 0 : setup.Boxes().back().elapsed) / 1000.0);
    bool reported = Report();
    return ended && exitCode == 0 && reported ? 0 : 1;
}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--report") == 0)
            return Report() ? 0 : 1;
    ReadArguments(argc, argv);
    return Walk();
}
