#include "integration/dde.h"

#include <dde.h>

HWND ddeWindow;
HWND partnerWindow;
int initiating;
int lastAckStatus;
DWORD ddeTimeout = 30000;

static const char kClassName[] = "ddeClass";
static const UINT kInitiateTimeoutMs = 2000;  // for each window that does not answer

HWND CreateDdeWindow(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DdeWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass))
        return nullptr;
    // Top-level, so it hears the broadcast too; it never answers one.
    ddeWindow = CreateWindowExA(0, kClassName, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                                nullptr);
    return ddeWindow;
}

BOOL DestroyDdeWindow()
{
    return DestroyWindow(ddeWindow);
}

HWND InitiateConversation(const char* application, const char* topic)
{
    ATOM applicationAtom = GlobalAddAtomA(application);
    ATOM topicAtom = GlobalAddAtomA(topic);
    HWND server = BroadcastInitiate(applicationAtom, topicAtom);
    GlobalDeleteAtom(applicationAtom);
    GlobalDeleteAtom(topicAtom);
    return server;
}

HWND BroadcastInitiate(ATOM application, ATOM topic)
{
    initiating = 1;
    // Servers answer with a sent WM_DDE_ACK while this call is in progress (SMTO_BLOCK would
    // refuse those). A hung window anywhere on the desktop costs at most the bounded wait.
    DWORD_PTR ignored;
    SendMessageTimeoutA(HWND_BROADCAST, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(ddeWindow),
                        MAKELPARAM(application, topic), SMTO_ABORTIFHUNG, kInitiateTimeoutMs, &ignored);
    HWND server = partnerWindow;
    initiating = 0;
    return server;
}

// A server that is gone, terminated or silent is not written to again.
static void GiveUp(HWND server)
{
    if (server == partnerWindow)
        partnerWindow = nullptr;
}

INT_PTR ExecuteCommand(HWND server, const char* command)
{
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, lstrlenA(command) + 1);
    if (block == nullptr)
        return 0;
    char* text = static_cast<char*>(GlobalLock(block));
    if (text == nullptr) {
        GlobalFree(block);
        return 0;
    }
    lstrcpyA(text, command);
    GlobalUnlock(block);
    INT_PTR result = 0;
    if (PostMessageA(server, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(ddeWindow),
                     reinterpret_cast<LPARAM>(block)))
        result = WaitForAck(server);
    else
        GiveUp(server);
    GlobalFree(block);
    return result;
}

INT_PTR WaitForAck(HWND server)
{
    const DWORD start = GetTickCount();
    for (;;) {
        // Only DDE messages (and WM_QUIT, which comes whatever the filter): nothing else may run
        // here, since the group stage keeps its texts in the shared buffers across the wait.
        MSG message;
        if (PeekMessageA(&message, nullptr, WM_DDE_FIRST, WM_DDE_LAST, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return reinterpret_cast<INT_PTR>(server);
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (reinterpret_cast<HWND>(message.wParam) != server)
                continue;
            if (message.message == WM_DDE_ACK)
                return lastAckStatus;
            if (message.message == WM_DDE_DATA)
                return 1;
            if (message.message == WM_DDE_TERMINATE) {
                GiveUp(server);  // already answered by DdeWindowProc
                return 0;
            }
            continue;
        }
        DWORD waited = GetTickCount() - start;
        if (waited >= ddeTimeout) {
            GiveUp(server);
            return 0;
        }
        // Wakes for anything newly posted or sent; what is not DDE stays queued.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ddeTimeout - waited,
                                  QS_POSTMESSAGE | QS_SENDMESSAGE);
    }
}

int AnswerTerminate(HWND partner)
{
    PostMessageA(partner, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(ddeWindow), 0);
    if (partner == partnerWindow)
        partnerWindow = nullptr;
    return 1;
}

LRESULT CALLBACK DdeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DDE_ACK:
        if (initiating) {
            // The answer to an initiate carries two plain atoms, which are ours to delete.
            partnerWindow = reinterpret_cast<HWND>(wParam);
            GlobalDeleteAtom(LOWORD(lParam));
            GlobalDeleteAtom(HIWORD(lParam));
        } else {
            // Packed: the status and our command memory, which ExecuteCommand frees after the
            // wait. The high part is a memory handle, not an atom, so no atom is deleted.
            UINT_PTR status = 0;
            UINT_PTR commands = 0;
            if (UnpackDDElParam(WM_DDE_ACK, lParam, &status, &commands))
                FreeDDElParam(WM_DDE_ACK, lParam);
            lastAckStatus = static_cast<int>(status & 0x8000);
        }
        return 0;
    case WM_DDE_DATA:
        // Unsolicited data is neither read nor acknowledged; only the packing is released.
        FreeDDElParam(WM_DDE_DATA, lParam);
        return 0;
    case WM_DDE_TERMINATE:
        AnswerTerminate(reinterpret_cast<HWND>(wParam));
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
