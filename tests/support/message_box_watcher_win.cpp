#include "tests/support/message_box_watcher_win.h"

#include <algorithm>

#include "tests/support/process_win.h"

namespace qmtest {

namespace {
// Window and icon handles carry 32 significant bits; the platform may hand them back sign-extended
// or not (STM_GETICON does not), so keep them in the sign-extended form that CreateWindow and
// LoadIcon return.
template <class H>
H SignExtended(H handle) {
    return reinterpret_cast<H>(
        static_cast<LONG_PTR>(static_cast<LONG>(static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(handle)))));
}

struct Buttons {
    std::vector<HWND> hwnds;
};

BOOL CALLBACK FindButtons(HWND hwnd, LPARAM lp) {
    if (WindowClass(hwnd) == L"Button") reinterpret_cast<Buttons*>(lp)->hwnds.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK FindIcon(HWND hwnd, LPARAM lp) {
    if (WindowClass(hwnd) == L"Static" && (GetWindowLongW(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HICON*>(lp) = reinterpret_cast<HICON>(SendMessageW(hwnd, STM_GETICON, 0, 0));
        if (*reinterpret_cast<HICON*>(lp)) return FALSE;
    }
    return TRUE;
}
}  // namespace

MessageBoxWatcher::MessageBoxWatcher(DWORD processId) : pid_(processId), thread_([this] { Run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

void MessageBoxWatcher::AnswerNext(int commandId) {
    std::lock_guard lock(mutex_);
    answers_.push_back(commandId);
}

std::vector<SeenMessageBox> MessageBoxWatcher::Seen() const {
    std::lock_guard lock(mutex_);
    return seen_;
}

std::vector<std::wstring> MessageBoxWatcher::Texts() const {
    std::vector<std::wstring> texts;
    for (const auto& b : Seen()) texts.push_back(b.text);
    return texts;
}

bool MessageBoxWatcher::WaitForCount(std::size_t count, DWORD timeoutMs) const {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < end) {
        {
            std::lock_guard lock(mutex_);
            if (seen_.size() >= count) return true;
        }
        Sleep(20);
    }
    return false;
}

void MessageBoxWatcher::Run() {
    while (!stop_) {
        for (HWND box : TopLevelWindowsOf(pid_)) {
            if (WindowClass(box) != L"#32770") continue;
            bool done;
            {
                std::lock_guard lock(mutex_);
                done = std::find(handled_.begin(), handled_.end(), box) != handled_.end();
            }
            if (!done) Handle(box);
        }
        // Forget boxes that are gone so a new box that reuses a handle is seen.
        {
            std::lock_guard lock(mutex_);
            std::erase_if(handled_, [](HWND h) { return !IsWindow(h); });
        }
        Sleep(15);
    }
}

void MessageBoxWatcher::Handle(HWND box) {
    Sleep(30);  // let the box finish creating its controls
    SeenMessageBox seen;
    seen.caption = WindowCaption(box);
    seen.owner = SignExtended(GetWindow(box, GW_OWNER));
    EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&seen.icon));
    seen.icon = SignExtended(seen.icon);
    if (HWND text = GetDlgItem(box, 0xFFFF)) seen.text = WindowCaption(text);
    Buttons buttons;
    EnumChildWindows(box, FindButtons, reinterpret_cast<LPARAM>(&buttons));
    for (HWND b : buttons.hwnds) seen.buttons.push_back(WindowCaption(b));

    int answer = 0;
    {
        std::lock_guard lock(mutex_);
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        }
    }
    HWND target = nullptr;
    if (answer != 0) {
        target = GetDlgItem(box, answer);
    } else if (!buttons.hwnds.empty()) {
        const LRESULT def = SendMessageW(box, DM_GETDEFID, 0, 0);
        if (HIWORD(def) == DC_HASDEFID) target = GetDlgItem(box, LOWORD(def));
        if (!target) target = buttons.hwnds.front();
        answer = GetDlgCtrlID(target);
    }
    seen.pressed = answer;
    {
        std::lock_guard lock(mutex_);
        handled_.push_back(box);
        seen_.push_back(seen);
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer ? answer : IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(target));
}

}  // namespace qmtest
