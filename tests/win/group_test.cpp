#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/dde.h"
#include "integration/group.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/support.h"
#include "tests/win/ddeserver.h"

static const char kService[] = "QvxTestProgman";

class ProgramGroup : public testing::Test {
protected:
    void SetUp() override
    {
        moduleInstance = GetModuleHandleA(nullptr);
        mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     moduleInstance, nullptr);
        lstrcpyA(destinationDirectory, "c:\\OPOS\\QVX\\");
        progmanService = kService;
        ddeWindow = nullptr;
        ddeTimeout = 10000;
    }

    void TearDown() override
    {
        DestroyWindow(mainWindow);
        mainWindow = nullptr;
        progmanService = "PROGMAN";
        ddeTimeout = 30000;
    }

    // The stage, as often as a test needs it in one process: the client window class is never
    // unregistered by the program itself.
    static void RunStage()
    {
        HINSTANCE instance = moduleInstance;
        CreateProgramIcons();
        UnregisterClassA("ddeClass", instance);
    }

    static std::vector<std::string> Commands(const TestDdeServer& server)
    {
        std::vector<std::string> commands;
        for (const auto& execute : server.executes())
            commands.push_back(execute.command);
        return commands;
    }
};

TEST_F(ProgramGroup, ShippedTableSendsTheSevenCommandsOneAtATime)
{
    TestDdeServer server(kService, 1, 30);
    MessageBoxAnswerer boxes;
    RunStage();
    HWND client = ddeWindow;
    server.Stop();

    const std::vector<std::string> expected = {
        "[CreateGroup(OLE for Point of Sale)]",
        "[showgroup(OLE for Point of Sale,1)]",
        "[replaceitem(Sample MSR Test Program)]",
        "[additem(c:\\OPOS\\QVX\\Sample\\TestCard.exe,Sample MSR Test Program,"
        "c:\\OPOS\\QVX\\Sample\\TestCard.exe,0)]",
        "[replaceitem(MSR Documentation)]",
        // String 23 built the command line before string 22 took over the same buffer.
        "[additem(wordpad.exe c:\\OPOS\\QVX\\readme.doc,MSR Documentation,"
        "wordpad.exe c:\\OPOS\\QVX\\readme.doc,0)]",
        "[exitprogman(1)]",
    };
    EXPECT_EQ(Commands(server), expected);
    auto executes = server.executes();
    for (size_t i = 0; i < executes.size(); ++i) {
        EXPECT_FALSE(executes[i].overlapped) << executes[i].command;
        EXPECT_EQ(executes[i].client, client);
        // Program Manager is kept disabled while the setup drives it, and released for the exit.
        EXPECT_EQ(executes[i].serverEnabled, i + 1 == executes.size()) << executes[i].command;
    }
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(progmanWindow, nullptr);
    EXPECT_EQ(partnerWindow, nullptr);
    EXPECT_FALSE(IsWindow(client));
}

TEST_F(ProgramGroup, CountOfZeroOrNotANumberSkipsTheStage)
{
    for (const char* table : {"group_zero", "group_nan"}) {
        SCOPED_TRACE(table);
        TestDdeServer server(kService);
        VariantStrings strings(table);
        ASSERT_TRUE(strings.loaded());
        MessageBoxAnswerer boxes;
        RunStage();
        server.Stop();
        EXPECT_EQ(ddeWindow, nullptr);  // no client window was made
        EXPECT_EQ(server.initiatesSeen(), 0);
        EXPECT_TRUE(server.executes().empty());
        EXPECT_TRUE(boxes.shown.empty());
    }
}

TEST_F(ProgramGroup, TwoItemsAndNoDocumentation)
{
    TestDdeServer server(kService);
    VariantStrings strings("group_two");
    ASSERT_TRUE(strings.loaded());
    RunStage();
    server.Stop();
    // Strings 97/98 then 99/100, each add after its own replace; 101/102 lie past the count.
    const std::vector<std::string> expected = {
        "[CreateGroup(Two Items)]",
        "[showgroup(Two Items,1)]",
        "[replaceitem(One)]",
        "[additem(c:\\OPOS\\QVX\\one.exe,One,c:\\OPOS\\QVX\\one.exe,0)]",
        "[replaceitem(Two)]",
        "[additem(c:\\OPOS\\QVX\\bin\\two.exe,Two,c:\\OPOS\\QVX\\bin\\two.exe,0)]",
        "[exitprogman(1)]",
    };
    EXPECT_EQ(Commands(server), expected);
}

TEST_F(ProgramGroup, ItemsThatWouldNotFitAreSkippedWhole)
{
    TestDdeServer server(kService);
    VariantStrings strings("group_long");
    ASSERT_TRUE(strings.loaded());
    MessageBoxAnswerer boxes;
    RunStage();
    server.Stop();
    const std::vector<std::string> expected = {
        "[CreateGroup(Long Items)]",
        "[showgroup(Long Items,1)]",
        "[replaceitem(Fine)]",
        "[additem(c:\\OPOS\\QVX\\ok.exe,Fine,c:\\OPOS\\QVX\\ok.exe,0)]",
        "[replaceitem(Doc)]",
        "[additem(viewer.exe c:\\OPOS\\QVX\\readme.doc,Doc,viewer.exe c:\\OPOS\\QVX\\readme.doc,0)]",
        "[exitprogman(1)]",
    };
    EXPECT_EQ(Commands(server), expected);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ProgramGroup, GroupNameThatWouldNotFitSendsNothing)
{
    TestDdeServer server(kService);
    VariantStrings strings("group_longname");
    ASSERT_TRUE(strings.loaded());
    MessageBoxAnswerer boxes;
    RunStage();
    HWND client = ddeWindow;
    server.Stop();
    EXPECT_EQ(server.initiatesSeen(), 0);
    EXPECT_TRUE(server.executes().empty());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(IsWindow(client));
}

TEST_F(ProgramGroup, WithoutProgramManagerNothingIsSent)
{
    TestDdeServer server(kService);
    progmanService = "QvxNoSuchProgman";
    MessageBoxAnswerer boxes;
    RunStage();
    HWND client = ddeWindow;
    server.Stop();
    EXPECT_GE(server.initiatesSeen(), 1);
    EXPECT_TRUE(server.executes().empty());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(progmanWindow, nullptr);
    EXPECT_FALSE(IsWindow(client));
}

TEST_F(ProgramGroup, ClientWindowFailureIsReported)
{
    TestDdeServer server(kService);
    WNDCLASSA taken = {};
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = moduleInstance;
    taken.lpszClassName = "ddeClass";
    ASSERT_NE(RegisterClassA(&taken), 0);
    MessageBoxAnswerer boxes;
    RunStage();
    server.Stop();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Unable to create program manager group for program icons.");
    EXPECT_EQ(boxes.shown[0].caption, "OLE for Point of Sale Setup");
    EXPECT_EQ(boxes.shown[0].owner, mainWindow);
    EXPECT_EQ(boxes.shown[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(server.initiatesSeen(), 0);
    EXPECT_TRUE(server.executes().empty());
}

TEST_F(ProgramGroup, ServerThatTerminatesOrFallsSilentIsLeftAlone)
{
    {
        TestDdeServer server(kService);
        server.Script({Reply::Ack, Reply::Terminate});
        RunStage();
        // Program Manager is enabled again all the same.
        EXPECT_TRUE(IsWindowEnabled(server.window(0)));
        server.Stop();
        // No command after the terminate, not even the exit.
        EXPECT_EQ(Commands(server),
                  (std::vector<std::string>{"[CreateGroup(OLE for Point of Sale)]",
                                            "[showgroup(OLE for Point of Sale,1)]"}));
        ASSERT_EQ(server.terminates().size(), 1u);
    }
    {
        TestDdeServer server(kService);
        server.Script({Reply::Silent});
        ddeTimeout = 300;
        DWORD start = GetTickCount();
        RunStage();
        EXPECT_LT(GetTickCount() - start, 3000u);
        server.Stop();
        EXPECT_EQ(Commands(server),
                  (std::vector<std::string>{"[CreateGroup(OLE for Point of Sale)]"}));
    }
}
