#pragma once
// Watches for message boxes (dialogs of class "#32770") of a process, reads them and presses a
// button, so tests can drive code that shows real message boxes.
//
//   MessageBoxWatcher boxes;            // this process
//   boxes.AnswerNext(IDNO);             // the first box gets "No", later ones their default
//   CodeThatAsks();
//   ASSERT_EQ(boxes.Seen().size(), 1);  // caption, text and button texts of every box
#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qmtest {

struct SeenMessageBox {
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;  // button captions in tab order, e.g. "&Yes", "&No"
    int pressed = 0;                    // the command id that the watcher sent
    HICON icon = nullptr;               // the picture of its icon control (compare with LoadIconW(nullptr, IDI_...))
    HWND owner = nullptr;               // the window that owns the box
};

class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(DWORD processId = GetCurrentProcessId());
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Queues the button (IDOK, IDYES, IDNO, IDCANCEL...) for the next box; a box with nothing
    // queued gets its default button (the first one).
    void AnswerNext(int commandId);
    std::vector<SeenMessageBox> Seen() const;
    // Waits until `count` boxes have been seen; false on timeout.
    bool WaitForCount(std::size_t count, DWORD timeoutMs = 10000) const;
    // The texts of the boxes seen, in order.
    std::vector<std::wstring> Texts() const;

private:
    void Run();
    void Handle(HWND box);

    DWORD pid_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::deque<int> answers_;
    std::vector<SeenMessageBox> seen_;
    std::vector<HWND> handled_;
    std::thread thread_;
};

}  // namespace qmtest
