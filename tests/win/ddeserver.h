// An in-test DDE server: top-level windows on a thread of their own that answer an initiate for
// one application and topic, record each WM_DDE_EXECUTE and answer it as scripted. Used under a
// test-only application name, so nothing else in the session answers it.
#pragma once
#include <windows.h>
#include <dde.h>

#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

enum class Reply {
    Ack,           // positive acknowledgement
    Nack,          // negative acknowledgement
    Silent,        // no answer at all
    Data,          // WM_DDE_DATA instead of an acknowledgement
    Terminate,     // the server ends the conversation instead of answering
    AckFromOther,  // another window acknowledges positively first; the server answers negatively later
};

struct ExecuteRecord {
    HWND server;
    HWND client;
    std::string command;
    bool overlapped;     // arrived while the server's previous answer was still outstanding
    bool serverEnabled;  // the server window's enabled state when it arrived
};

class TestDdeServer {
public:
    // servers: how many windows answer the initiate; answerDelay: how long each answer is held
    // back, so a client that does not wait would post its next command too early.
    explicit TestDdeServer(const char* service, int servers = 1, UINT answerDelay = 0)
        : service_(service), answerDelay_(answerDelay)
    {
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, servers, ready] { Run(servers, ready); });
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
    }

    ~TestDdeServer() { Stop(); }
    TestDdeServer(const TestDdeServer&) = delete;
    TestDdeServer& operator=(const TestDdeServer&) = delete;

    // Answers for the next commands, in order; Ack once the script runs out.
    void Script(std::deque<Reply> replies)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        script_ = std::move(replies);
    }

    HWND window(size_t i) const { return windows_[i]; }
    HWND other() const { return other_; }

    // Ends the thread (its windows go with it); the records stay readable.
    void Stop()
    {
        if (thread_.joinable()) {
            PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
            thread_.join();
        }
    }

    std::vector<ExecuteRecord> executes() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return executes_;
    }
    std::vector<HWND> answeredInitiates() const  // in the order the answers were sent
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return answered_;
    }
    int initiatesSeen() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return initiatesSeen_;
    }
    struct Terminate {
        HWND server;
        HWND from;
    };
    std::vector<Terminate> terminates() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return terminates_;
    }

private:
    struct Pending {
        HWND server;
        HWND client;
        HGLOBAL memory;
        Reply reply;
    };

    void Run(int servers, HANDLE ready)
    {
        threadId_ = GetCurrentThreadId();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "QvxTestDdeServer";
        RegisterClassA(&windowClass);  // fails harmlessly when an earlier server registered it
        for (int i = 0; i < servers; ++i) {
            HWND window = CreateWindowExA(0, windowClass.lpszClassName, nullptr, WS_POPUP, 0, 0, 0, 0,
                                          nullptr, nullptr, windowClass.hInstance, nullptr);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            windows_.push_back(window);
        }
        other_ = CreateWindowExA(0, windowClass.lpszClassName, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, windowClass.hInstance, nullptr);
        SetEvent(ready);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        for (HWND window : windows_)
            DestroyWindow(window);
        DestroyWindow(other_);
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto self = reinterpret_cast<TestDdeServer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self != nullptr && self->Handle(window, message, wParam, lParam))
            return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    }

    static std::string AtomName(ATOM atom)
    {
        char name[256] = "";
        GlobalGetAtomNameA(atom, name, sizeof name);
        return name;
    }

    bool Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        HWND client = reinterpret_cast<HWND>(wParam);
        switch (message) {
        case WM_DDE_INITIATE: {
            std::lock_guard<std::mutex> lock(mutex_);
            ++initiatesSeen_;
            if (window == other_ || AtomName(LOWORD(lParam)) != service_ ||
                AtomName(HIWORD(lParam)) != service_)
                return true;
            answered_.push_back(window);
            break;
        }
        case WM_DDE_EXECUTE: {
            ExecuteRecord record = {window, client, "", false, IsWindowEnabled(window) != FALSE};
            HGLOBAL memory = reinterpret_cast<HGLOBAL>(lParam);
            if (const char* text = static_cast<const char*>(GlobalLock(memory))) {
                record.command = text;
                GlobalUnlock(memory);
            }
            std::lock_guard<std::mutex> lock(mutex_);
            for (const Pending& pending : pending_)
                record.overlapped = record.overlapped || pending.server == window;
            executes_.push_back(record);
            Reply reply = Reply::Ack;
            if (!script_.empty()) {
                reply = script_.front();
                script_.pop_front();
            }
            if (reply == Reply::Silent)
                return true;
            // Without our memory handle: each command handle may be acknowledged only once.
            if (reply == Reply::AckFromOther)
                PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(other_),
                             PackDDElParam(WM_DDE_ACK, 0x8000, 0));
            pending_.push_back({window, client, memory, reply});
            UINT delay = reply == Reply::AckFromOther ? 200 : answerDelay_;
            SetTimer(window, 1, delay == 0 ? USER_TIMER_MINIMUM : delay, nullptr);
            return true;
        }
        case WM_TIMER: {
            KillTimer(window, 1);
            std::lock_guard<std::mutex> lock(mutex_);
            for (auto it = pending_.begin(); it != pending_.end(); ++it) {
                if (it->server == window) {
                    Answer(*it);
                    pending_.erase(it);
                    break;
                }
            }
            return true;
        }
        case WM_DDE_TERMINATE: {
            std::lock_guard<std::mutex> lock(mutex_);
            terminates_.push_back({window, client});
            return true;
        }
        default:
            return false;
        }
        // The answer to the initiate, sent while the client's broadcast is still in progress.
        SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window),
                     MAKELPARAM(GlobalAddAtomA(service_.c_str()), GlobalAddAtomA(service_.c_str())));
        return true;
    }

    static void Answer(const Pending& pending)
    {
        WPARAM from = reinterpret_cast<WPARAM>(pending.server);
        UINT_PTR memory = reinterpret_cast<UINT_PTR>(pending.memory);
        switch (pending.reply) {
        case Reply::Ack:
            PostMessageA(pending.client, WM_DDE_ACK, from, PackDDElParam(WM_DDE_ACK, 0x8000, memory));
            break;
        case Reply::Nack:
        case Reply::AckFromOther:
            PostMessageA(pending.client, WM_DDE_ACK, from, PackDDElParam(WM_DDE_ACK, 0, memory));
            break;
        case Reply::Data:
            PostMessageA(pending.client, WM_DDE_DATA, from, PackDDElParam(WM_DDE_DATA, 0, 0));
            break;
        case Reply::Terminate:
            PostMessageA(pending.client, WM_DDE_TERMINATE, from, 0);
            break;
        case Reply::Silent:
            break;
        }
    }

    std::string service_;
    UINT answerDelay_;
    std::thread thread_;
    DWORD threadId_ = 0;
    std::vector<HWND> windows_;
    HWND other_ = nullptr;

    mutable std::mutex mutex_;
    std::deque<Reply> script_;
    std::vector<Pending> pending_;
    std::vector<ExecuteRecord> executes_;
    std::vector<HWND> answered_;
    std::vector<Terminate> terminates_;
    int initiatesSeen_ = 0;
};
