#include <gtest/gtest.h>

#include <vector>

#include "integration/dde.h"
#include "shell/shell.h"
#include "tests/support/support.h"
#include "tests/win/ddeserver.h"

static const char kService[] = "QvxTestDdeService";

// Each command acknowledgement the client window handled: what it carried, and whether its packed
// parameter was released by the time the client's window procedure returned. (Wine packs into
// fixed global memory, a block of the process heap, so HeapValidate tells a freed one.)
struct SeenAck {
    UINT_PTR status;
    UINT_PTR memory;
    bool packingFreed;
};
static std::vector<SeenAck> seenAcks;

static LRESULT CALLBACK WatchingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_DDE_ACK || initiating)
        return DdeWindowProc(window, message, wParam, lParam);
    SeenAck seen = {0, 0, false};
    UnpackDDElParam(WM_DDE_ACK, lParam, &seen.status, &seen.memory);
    LRESULT result = DdeWindowProc(window, message, wParam, lParam);
    seen.packingFreed = !HeapValidate(GetProcessHeap(), 0, reinterpret_cast<void*>(lParam));
    seenAcks.push_back(seen);
    return result;
}

class DdeClient : public testing::Test {
protected:
    void SetUp() override
    {
        moduleInstance = GetModuleHandleA(nullptr);
        partnerWindow = nullptr;
        lastAckStatus = 0;
        ddeTimeout = 10000;  // a fault shows as a failure, not as a hung test
        seenAcks.clear();
        ASSERT_NE(CreateDdeWindow(moduleInstance), nullptr);
        SetWindowLongPtrA(ddeWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchingProc));
    }

    void TearDown() override
    {
        DestroyDdeWindow();
        UnregisterClassA("ddeClass", moduleInstance);
        ddeTimeout = 30000;
    }
};

TEST_F(DdeClient, PostsEachCommandOnlyAfterThePreviousAnswer)
{
    TestDdeServer server(kService, 1, 60);
    HWND partner = InitiateConversation(kService, kService);
    ASSERT_EQ(partner, server.window(0));
    EXPECT_EQ(partnerWindow, partner);
    EXPECT_EQ(initiating, 0);
    // The server's answer atoms were deleted along with our own.
    EXPECT_EQ(GlobalFindAtomA(kService), 0);

    EXPECT_EQ(ExecuteCommand(partner, "[first()]"), 0x8000);
    EXPECT_EQ(ExecuteCommand(partner, "[second(a,b)]"), 0x8000);
    EXPECT_EQ(ExecuteCommand(partner, "[third]"), 0x8000);

    server.Stop();
    auto executes = server.executes();
    ASSERT_EQ(executes.size(), 3u);
    EXPECT_EQ(executes[0].command, "[first()]");
    EXPECT_EQ(executes[1].command, "[second(a,b)]");
    EXPECT_EQ(executes[2].command, "[third]");
    for (const auto& execute : executes) {
        EXPECT_FALSE(execute.overlapped) << execute.command;
        EXPECT_EQ(execute.client, ddeWindow);
    }
    EXPECT_TRUE(server.terminates().empty());
}

TEST_F(DdeClient, LastOfTwoAnsweringServersBecomesThePartner)
{
    TestDdeServer servers(kService, 2);
    HWND partner = InitiateConversation(kService, kService);
    auto answered = servers.answeredInitiates();
    ASSERT_EQ(answered.size(), 2u);
    EXPECT_EQ(partner, answered.back());
    EXPECT_EQ(partnerWindow, answered.back());
    EXPECT_EQ(GlobalFindAtomA(kService), 0);

    // The conversation with the first one is left as it is: no terminate goes to either.
    servers.Stop();
    EXPECT_TRUE(servers.terminates().empty());
}

TEST_F(DdeClient, NobodyAnswersAnotherService)
{
    // Every top-level window of the session hears the broadcast, our own client window included;
    // none may answer a name that no server holds.
    TestDdeServer server(kService);
    EXPECT_EQ(InitiateConversation("QvxNobodyServesThis", kService), nullptr);
    EXPECT_EQ(partnerWindow, nullptr);
    EXPECT_GE(server.initiatesSeen(), 1);
    EXPECT_TRUE(server.answeredInitiates().empty());
}

TEST_F(DdeClient, AnswersFromAnotherWindowDoNotEndTheWait)
{
    TestDdeServer server(kService);
    HWND partner = InitiateConversation(kService, kService);
    ASSERT_NE(partner, nullptr);
    // Another window acknowledges positively at once, the server negatively 200 ms later.
    server.Script({Reply::AckFromOther});
    EXPECT_EQ(ExecuteCommand(partner, "[x]"), 0);
    EXPECT_EQ(lastAckStatus, 0);
    EXPECT_EQ(partnerWindow, partner);  // a negative answer keeps the conversation
}

TEST_F(DdeClient, DataFromTheServerEndsTheWaitWithOne)
{
    TestDdeServer server(kService);
    HWND partner = InitiateConversation(kService, kService);
    ASSERT_NE(partner, nullptr);
    server.Script({Reply::Data, Reply::Ack});
    EXPECT_EQ(ExecuteCommand(partner, "[data]"), 1);
    // Nothing of the first exchange is left over to end the next wait early.
    EXPECT_EQ(ExecuteCommand(partner, "[next]"), 0x8000);
    EXPECT_EQ(server.executes().size(), 2u);
}

TEST_F(DdeClient, AcknowledgementsAreUnpackedAndTheMemoryFreed)
{
    TestDdeServer server(kService);
    HWND partner = InitiateConversation(kService, kService);
    ASSERT_NE(partner, nullptr);
    server.Script({Reply::Nack, Reply::Ack});

    EXPECT_EQ(ExecuteCommand(partner, "[refused]"), 0);
    EXPECT_EQ(lastAckStatus, 0);
    EXPECT_EQ(ExecuteCommand(partner, "[accepted]"), 0x8000);
    EXPECT_EQ(lastAckStatus, 0x8000);

    ASSERT_EQ(seenAcks.size(), 2u);
    EXPECT_EQ(seenAcks[0].status & 0x8000, 0u);
    EXPECT_EQ(seenAcks[1].status & 0x8000, 0x8000u);
    for (const SeenAck& ack : seenAcks) {
        EXPECT_TRUE(ack.packingFreed);
        // The acknowledgement names our command memory, which is gone once the command returned.
        ASSERT_NE(ack.memory, 0u);
        EXPECT_EQ(GlobalFlags(reinterpret_cast<HGLOBAL>(ack.memory)), GMEM_INVALID_HANDLE);
    }
}

TEST_F(DdeClient, ServerTerminateIsAnsweredAndEndsThePartnership)
{
    TestDdeServer server(kService);
    HWND partner = InitiateConversation(kService, kService);
    ASSERT_NE(partner, nullptr);

    PostMessageA(ddeWindow, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(partner), 0);
    PumpMessages(100);
    EXPECT_EQ(partnerWindow, nullptr);

    server.Stop();
    auto terminates = server.terminates();
    ASSERT_EQ(terminates.size(), 1u);
    EXPECT_EQ(terminates[0].server, partner);
    EXPECT_EQ(terminates[0].from, ddeWindow);
}

TEST_F(DdeClient, TerminateDuringAWaitEndsIt)
{
    TestDdeServer server(kService);
    HWND partner = InitiateConversation(kService, kService);
    ASSERT_NE(partner, nullptr);
    server.Script({Reply::Terminate});

    DWORD start = GetTickCount();
    EXPECT_EQ(ExecuteCommand(partner, "[bye]"), 0);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(partnerWindow, nullptr);

    server.Stop();
    ASSERT_EQ(server.terminates().size(), 1u);
    EXPECT_EQ(server.terminates()[0].from, ddeWindow);
}

TEST_F(DdeClient, SilentServerTimesOut)
{
    TestDdeServer server(kService);
    HWND partner = InitiateConversation(kService, kService);
    ASSERT_NE(partner, nullptr);
    server.Script({Reply::Silent});
    ddeTimeout = 300;

    DWORD start = GetTickCount();
    EXPECT_EQ(ExecuteCommand(partner, "[anyone]"), 0);
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 280u);
    EXPECT_LT(waited, 3000u);
    EXPECT_EQ(partnerWindow, nullptr);  // given up: the server is not spoken to again
}

TEST_F(DdeClient, QuitEndsTheWaitAndIsConsumedWhileOtherMessagesWait)
{
    TestDdeServer server(kService);
    HWND partner = InitiateConversation(kService, kService);
    ASSERT_NE(partner, nullptr);
    server.Script({Reply::Silent});

    PostMessageA(ddeWindow, WM_USER + 7, 0, 0);
    PostQuitMessage(3);
    DWORD start = GetTickCount();
    EXPECT_EQ(ExecuteCommand(partner, "[quit]"), reinterpret_cast<INT_PTR>(partner));
    EXPECT_LT(GetTickCount() - start, 5000u);

    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    // The wait retrieves DDE messages only: the other one is still queued.
    EXPECT_TRUE(PeekMessageA(&message, ddeWindow, WM_USER + 7, WM_USER + 7, PM_REMOVE));
}

TEST_F(DdeClient, FailedPostDoesNotWait)
{
    HWND gone = CreateWindowExA(0, "STATIC", nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                moduleInstance, nullptr);
    DestroyWindow(gone);
    DWORD start = GetTickCount();
    EXPECT_EQ(ExecuteCommand(gone, "[nobody]"), 0);
    EXPECT_LT(GetTickCount() - start, 1000u);
}
