// The DDE client and the program-group stage against an in-test server under a test-only name.
#include <gtest/gtest.h>

#include <dde.h>

#include <string>
#include <thread>
#include <vector>

#include "integration/dde.h"
#include "integration/group.h"
#include "shell/log.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/support.h"

static const char kService[] = "QvxTestProgman";

enum Reply { Ack, Nack, Silent, Terminate, AckFromOther };

// Top-level windows on a thread of their own, one server at a time: `count` answer the initiate, windows.back()
// never does. Commands are recorded and answered as scripted, then with Ack; records are read after Stop().
struct TestServer {
    static inline TestServer* self;
    explicit TestServer(std::vector<Reply> replies = {}, int count = 1) : script(replies)
    {
        self = this;
        HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        thread = std::thread([this, count, ready] {
            WNDCLASSA windowClass = {0, Proc, 0, 0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr, nullptr, "QvxServer"};
            RegisterClassA(&windowClass);  // fails harmlessly once registered
            for (int i = 0; i <= count; ++i)
                windows.push_back(CreateWindowExA(0, "QvxServer", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
            SetEvent(ready);
            for (MSG message; GetMessageA(&message, nullptr, 0, 0) > 0;)
                DispatchMessageA(&message);
            for (HWND window : windows)
                DestroyWindow(window);
        });
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
    }
    ~TestServer() { Stop(); }
    void Stop()
    {
        if (thread.joinable() && PostMessageA(windows.back(), WM_QUIT, 0, 0))
            thread.join();
    }

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        HWND client = reinterpret_cast<HWND>(wParam);
        WPARAM from = reinterpret_cast<WPARAM>(window);
        if (message == WM_DDE_INITIATE) {
            ATOM service = GlobalFindAtomA(kService);  // the application and topic asked for
            if (window == self->windows.back() || LOWORD(lParam) != service || HIWORD(lParam) != service)
                return 0;
            self->answered.push_back(window);
            SendMessageA(client, WM_DDE_ACK, from, MAKELPARAM(GlobalAddAtomA(kService), GlobalAddAtomA(kService)));
        } else if (message == WM_DDE_EXECUTE) {
            self->commands.push_back(static_cast<const char*>(GlobalLock(reinterpret_cast<HGLOBAL>(lParam))));
            GlobalUnlock(reinterpret_cast<HGLOBAL>(lParam));
            self->enabled.push_back(IsWindowEnabled(window) != FALSE);
            Reply reply = self->commands.size() <= self->script.size() ? self->script[self->commands.size() - 1] : Ack;
            if (reply == AckFromOther)  // without our memory: a command is acknowledged once
                PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(self->windows.back()),
                             PackDDElParam(WM_DDE_ACK, 0x8000, 0));
            // Status bits beside fAck (a return code, fBusy) must not leak into the result.
            if (reply == Ack || reply == Nack || reply == AckFromOther)
                PostMessageA(client, WM_DDE_ACK, from, PackDDElParam(WM_DDE_ACK, reply == Ack ? 0x8001 : 0x4000, lParam));
            else if (reply == Terminate)
                PostMessageA(client, WM_DDE_TERMINATE, from, 0);
        } else if (message == WM_DDE_TERMINATE) {
            self->terminatedBy.push_back(client);
        } else {
            return DefWindowProcA(window, message, wParam, lParam);
        }
        return 0;
    }

    std::vector<Reply> script;
    std::thread thread;
    std::vector<HWND> windows, answered, terminatedBy;
    std::vector<std::string> commands;
    std::vector<bool> enabled;  // the server's state as each command arrived
};

// Whether the packed parameter of each command acknowledgement was released by the time the
// client's window procedure returned (Wine packs into a block of the process heap).
static std::vector<bool> packingFreed;

static LRESULT CALLBACK WatchingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    bool commandAck = message == WM_DDE_ACK && !initiating;
    LRESULT result = DdeWindowProc(window, message, wParam, lParam);
    if (commandAck)
        packingFreed.push_back(!HeapValidate(GetProcessHeap(), 0, reinterpret_cast<void*>(lParam)));
    return result;
}

class Dde : public testing::Test {
protected:
    void SetUp() override
    {
        moduleInstance = GetModuleHandleA(nullptr);
        UnregisterClassA("ddeClass", moduleInstance);  // the program itself never does
        lstrcpyA(destinationDirectory, "c:\\OPOS\\QVX\\");
        progmanService = kService;
        partnerWindow = nullptr;
        ddeTimeout = 20000;  // a fault shows as a failure, not as a hung test
    }
    static HWND OpenConversation()
    {
        EXPECT_NE(CreateDdeWindow(moduleInstance), nullptr);
        SetWindowLongPtrA(ddeWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchingProc));
        return InitiateConversation(kService, kService);
    }
    static void RunStage()  // and unregisters the client's class, registered with a variant table too
    {
        HINSTANCE instance = moduleInstance;
        CreateProgramIcons();
        UnregisterClassA("ddeClass", instance);
    }
};

TEST_F(Dde, ClientWaitsForItsPartnersOwnAnswerAndGivesUpOnSilenceTerminateAndFailedPost)
{
    TestServer servers({Nack, Ack, AckFromOther, Ack, Silent, Terminate}, 2);
    HWND partner = OpenConversation();
    ASSERT_EQ(servers.answered.size(), 2u);
    ASSERT_EQ(partner, servers.answered.back());  // the last to answer
    EXPECT_EQ(GlobalFindAtomA(kService), 0);  // the answers' atoms were deleted with ours
    std::vector<std::string> commands = {"[refused]", "[first()]", "[other]", "[second(a,b)]", "[silent]", "[bye]", "[gone]"};
    packingFreed.clear();
    for (size_t i = 0; i < commands.size(); ++i) {
        ddeTimeout = i == 4 ? 300 : 60000;
        if (i == 6)
            servers.Stop();  // its windows are gone: the post fails
        DWORD start = GetTickCount();
        EXPECT_EQ(ExecuteCommand(partner, commands[i].c_str()), i == 1 || i == 3 ? 0x8000 : 0) << commands[i];
        DWORD waited = GetTickCount() - start;
        EXPECT_TRUE(waited >= (i == 4 ? 300u : 0u) && waited < 30000u) << commands[i] << ": " << waited << " ms";
        // A refusal keeps the conversation; the server is not written to again after the rest.
        EXPECT_EQ(partnerWindow, i < 4 ? partner : nullptr) << commands[i];
        partnerWindow = partner;
    }
    EXPECT_EQ(packingFreed, std::vector<bool>(5, true));  // the foreign acknowledgement's too
    commands.pop_back();
    EXPECT_EQ(servers.commands, commands);
    EXPECT_EQ(servers.terminatedBy, std::vector<HWND>{ddeWindow});  // the terminate was answered
    DestroyDdeWindow();
}

// The initiate is a broadcast to every top-level window. Those of a thread that stopped reading messages (this
// one, blocked below) cost the bounded time-out of each send, where SendMessage waits until the thread reads
// again. Wine counts a queue as hung only after 5 s without a read: SMTO_ABORTIFHUNG alone would not do.
TEST_F(Dde, HungTopLevelWindowDoesNotHoldUpTheInitiate)
{
    TestServer server;
    HWND hung = CreateWindowExA(0, "STATIC", "hung", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool probeAnswered = true;
    HWND found = nullptr;
    std::thread worker([&] {
        probeAnswered = SendMessageTimeoutA(hung, WM_NULL, 0, 0, SMTO_NORMAL, 200, nullptr) != 0;
        found = OpenConversation();
        DestroyDdeWindow();
        SetEvent(done);
    });
    EXPECT_EQ(WaitForSingleObject(done, 30000), WAIT_OBJECT_0) << "the initiate waited for the hung window";
    for (MSG message; MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0;)
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // lets a blocked broadcast through
    worker.join();
    CloseHandle(done);
    DestroyWindow(hung);
    EXPECT_FALSE(probeAnswered);  // the window really did not answer while the initiate ran
    EXPECT_EQ(found, server.windows[0]);
}

TEST_F(Dde, GroupStageSendsEachCommandWithProgramManagerDisabledUntilTheExit)
{
    TestServer server;
    MessageBoxAnswerer boxes;
    RunStage();
    server.Stop();
    EXPECT_EQ(server.commands, (std::vector<std::string>{
        "[CreateGroup(OLE for Point of Sale)]", "[showgroup(OLE for Point of Sale,1)]",
        "[replaceitem(Sample MSR Test Program)]",
        "[additem(c:\\OPOS\\QVX\\Sample\\TestCard.exe,Sample MSR Test Program,c:\\OPOS\\QVX\\Sample\\TestCard.exe,0)]",
        "[replaceitem(MSR Documentation)]",
        // String 23 made the command line before string 22 took over the same buffer.
        "[additem(wordpad.exe c:\\OPOS\\QVX\\readme.doc,MSR Documentation,wordpad.exe c:\\OPOS\\QVX\\readme.doc,0)]",
        "[exitprogman(1)]"}));
    EXPECT_EQ(server.enabled, (std::vector<bool>{false, false, false, false, false, false, true}));
    EXPECT_TRUE(boxes.shown.empty());
}

// Of the variant table's items only the third fits; Program Manager falls silent on its add. The
// items the setup refuses count as failures, the one Program Manager does not take does not.
TEST_F(Dde, GroupStageSendsNothingThatWouldNotFitNorAfterProgramManagerFellSilent)
{
    TestServer server({Ack, Ack, Ack, Silent});
    // A group name too long for its commands: no initiate, no command.
    EXPECT_EQ(CreateProgramGroup(std::string(65, 'g').c_str(), ""), nullptr);
    EXPECT_EQ(progmanWindow, nullptr);
    VariantStrings strings("group_items");
    ASSERT_TRUE(strings.loaded());
    ddeTimeout = 300;
    ScratchDirectory scratch;
    std::string log;
    ASSERT_TRUE(OpenLog((scratch.path() + "setup.log").c_str()));
    somethingFailed = false;
    RunStage();
    CloseLog();
    EXPECT_TRUE(somethingFailed);
    EXPECT_TRUE(IsWindowEnabled(server.windows[0]));
    server.Stop();
    EXPECT_EQ(server.commands, (std::vector<std::string>{
        "[CreateGroup(Items)]", "[showgroup(Items,1)]", "[replaceitem(Two)]",
        "[additem(c:\\OPOS\\QVX\\bin\\two.exe,Two,c:\\OPOS\\QVX\\bin\\two.exe,0)]"}));
    ASSERT_TRUE(ReadWholeFile(scratch.path() + "setup.log", &log));
    const std::string tooLong = ": FAILED (commands too long for Program Manager)\r\n";
    EXPECT_EQ(log, "Program group Items: over DDE with Program Manager\r\nGroup item " + std::string(85, 'c') + tooLong +
                       "Group item Cut" + tooLong + "Group item Two: refused by Program Manager\r\n") << log;
}
