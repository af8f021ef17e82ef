#pragma once
// Drives the program's forms for real in the test process (under Wine and Xvfb): finds components
// by name, clicks, selects and double-clicks through the input messages the controls react to,
// reads what the windows show, closes windows that open, and saves screenshots as artefacts.
//
//   qm::TForm2 form;
//   form.Show();
//   qmtest::Click(qmtest::Find<ui::Image>(form, L"t_2"));   // handlers run before Click returns
//   EXPECT_EQ(qmtest::FrontChildAt(form, {200, 200}), form.p_2->Handle());
//   qmtest::SaveScreenshot(form.Handle(), L"main_window_options");
//
// Handlers that open a modal box run their box's own message loop inside Click; answer such boxes
// from another thread (MessageBoxWatcher, WindowCloser), or Click does not return.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ui/controls_win.h"

namespace qmtest {

// Dispatches everything waiting in this thread's queue, painting included.
void PumpMessages();

// The component of that name and type; throws std::runtime_error when missing or of another type.
ui::Component& FindComponent(ui::Form& form, std::wstring_view name);
template <class T>
T& Find(ui::Form& form, std::wstring_view name) {
    auto* c = dynamic_cast<T*>(&FindComponent(form, name));
    if (!c) throw std::runtime_error("component of another kind");
    return *c;
}

// Posts the input a user's click produces (BM_CLICK for buttons and check boxes, a left button
// press and release in the middle for other controls) and pumps until it is handled.
void Click(ui::Control& control);
// The same, at a point of the control's client area.
void ClickAt(ui::Control& control, POINT client);
// Press, release, double click, release at the point (the middle when omitted).
void DoubleClick(ui::Control& control);
void DoubleClickAt(ui::Control& control, POINT client);
// Clicks / double-clicks the middle of a list box item.
void ClickItem(ui::ListBox& list, int index);
void DoubleClickItem(ui::ListBox& list, int index);
// Selects an item as the user's choice does: selection plus the control's change notification.
void SelectItem(ui::ComboBox& combo, int index);
void SelectItem(ui::ListView& view, int index);
// Replaces the text as typing does (edit controls notify EN_CHANGE themselves).
void TypeText(ui::Control& control, std::wstring_view text);

// Gives the control the focus, then posts the key's press and release to it as the keyboard does
// (dialog keys such as Escape and Tab pass through the form's dialog handling) and pumps.
void PressKey(ui::Control& control, UINT key);

// The topmost child of the form's client area at a point (pages stacked on each other).
HWND FrontChildAt(ui::Form& form, POINT client);

// What the screen shows where the window is (the window with its children as drawn): 32-bit BGRA
// rows, top-down; empty when it cannot be read.
struct ScreenPixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> bgra;
};
ScreenPixels CaptureWindow(HWND window);

// Screenshots go to <build folder>\artifacts\<name>.png. Returns the file's path, empty on failure.
std::wstring ArtifactsFolder();
std::wstring SaveScreenshot(HWND window, const std::wstring& name);
// Writes 32-bit BGRA rows (top-down) as a PNG file.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<std::uint32_t>& bgra);

// A language file "langs\<name>" in the program's folder (the test executable's), removed again at
// the end; the file is UTF-16LE with a byte-order mark.
class ScopedLanguageFile {
public:
    ScopedLanguageFile(std::wstring name, const std::wstring& text);
    ~ScopedLanguageFile();
    ScopedLanguageFile(const ScopedLanguageFile&) = delete;
    ScopedLanguageFile& operator=(const ScopedLanguageFile&) = delete;
    const std::wstring& name() const { return name_; }

private:
    std::wstring name_, path_;
};

// Sets `Translate`/`CurLang` in the program's settings file and CurrentLanguage for the scope; both
// come back to what they were (a key that was missing is removed again).
class ScopedCurrentLanguage {
public:
    explicit ScopedCurrentLanguage(const std::wstring& name);
    ~ScopedCurrentLanguage();
    ScopedCurrentLanguage(const ScopedCurrentLanguage&) = delete;
    ScopedCurrentLanguage& operator=(const ScopedCurrentLanguage&) = delete;

private:
    std::wstring oldCurrent_, oldSetting_;
    bool hadSetting_ = false;
};

struct SeenWindow {
    std::wstring caption;
    std::wstring className;
    HWND owner = nullptr;
    bool ownerWasDisabled = false;  // the window was modal over its owner
};

// Watches for top-level windows of this process that become visible and did not exist when the
// closer started (the forms under test are left alone), records them and closes each with WM_CLOSE.
class WindowCloser {
public:
    WindowCloser();
    ~WindowCloser();
    WindowCloser(const WindowCloser&) = delete;
    WindowCloser& operator=(const WindowCloser&) = delete;
    std::vector<SeenWindow> Seen() const;

private:
    void Run();
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<HWND> known_;
    std::vector<SeenWindow> seen_;
    std::thread thread_;
};

}  // namespace qmtest
