#include "tests/support/gui_driver_win.h"

#include <algorithm>
#include <array>
#include <fstream>

#include "core/base/handles_win.h"
#include "core/base/module_path_win.h"
#include "core/base/text.h"
#include "core/settings/current_language.h"
#include "core/settings/settings_win.h"
#include "tests/support/files_win.h"
#include "tests/support/process_win.h"

namespace qmtest {

void PumpMessages() {
    // Posted input can produce further posted messages (a click posts nothing, but a handler may);
    // drain until a pass finds the queue empty.
    MSG msg;
    for (int pass = 0; pass < 4; ++pass) {
        bool any = false;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            ui::DispatchOneMessage(msg);
        }
        if (!any) break;
    }
}

ui::Component& FindComponent(ui::Form& form, std::wstring_view name) {
    ui::Component* c = form.FindComponent(name);
    if (!c) throw std::runtime_error("no component named " + qm::WideToUtf8(name));
    return *c;
}

namespace {
POINT Middle(const ui::Control& c) {
    RECT r{};
    GetClientRect(c.Handle(), &r);
    return {r.right / 2, r.bottom / 2};
}

LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }

bool ReactsToBmClick(const ui::Control& c) {
    return dynamic_cast<const ui::PushButtonBase*>(&c) || dynamic_cast<const ui::CheckableBase*>(&c);
}
}  // namespace

void ClickAt(ui::Control& control, POINT p) {
    PostMessageW(control.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(p));
    PostMessageW(control.Handle(), WM_LBUTTONUP, 0, At(p));
    PumpMessages();
}

void Click(ui::Control& control) {
    if (ReactsToBmClick(control)) {
        PostMessageW(control.Handle(), BM_CLICK, 0, 0);
        PumpMessages();
        return;
    }
    ClickAt(control, Middle(control));
}

void DoubleClickAt(ui::Control& control, POINT p) {
    HWND h = control.Handle();
    PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(p));
    PostMessageW(h, WM_LBUTTONUP, 0, At(p));
    PostMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, At(p));
    PostMessageW(h, WM_LBUTTONUP, 0, At(p));
    PumpMessages();
}

void DoubleClick(ui::Control& control) { DoubleClickAt(control, Middle(control)); }

namespace {
POINT ItemMiddle(const ui::ListBox& list, int index) {
    const RECT r = list.ItemRect(index);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
}  // namespace

void ClickItem(ui::ListBox& list, int index) { ClickAt(list, ItemMiddle(list, index)); }
void DoubleClickItem(ui::ListBox& list, int index) { DoubleClickAt(list, ItemMiddle(list, index)); }

void SelectItem(ui::ComboBox& combo, int index) {
    combo.SetItemIndex(index);
    PostMessageW(combo.ParentHandle(), WM_COMMAND, MAKEWPARAM(combo.Id(), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo.Handle()));
    PumpMessages();
}

void SelectItem(ui::ListView& view, int index) {
    view.SetItemIndex(index);  // the list view itself notifies LVN_ITEMCHANGED
    PumpMessages();
}

void TypeText(ui::Control& control, std::wstring_view text) {
    control.SetText(text);
    PumpMessages();
}

void PressKey(ui::Control& control, UINT key) {
    control.SetFocus();
    const HWND target = control.Handle();
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
    PumpMessages();
}

HWND FrontChildAt(ui::Form& form, POINT client) {
    return ChildWindowFromPointEx(form.Handle(), client, CWP_SKIPINVISIBLE);
}

// ---- screenshots -------------------------------------------------------------------------------
namespace {
std::uint32_t Crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void Chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBe32(out, Crc32(body.data(), body.size()));
}
}  // namespace

bool WritePng(const std::wstring& path, int width, int height, const std::vector<std::uint32_t>& bgra) {
    if (width <= 0 || height <= 0 || bgra.size() != static_cast<std::size_t>(width) * height) return false;
    // Raw scanlines (filter 0, RGB), stored in uncompressed deflate blocks.
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(height) * (1 + 3 * static_cast<std::size_t>(width)));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = bgra[static_cast<std::size_t>(y) * width + x];
            raw.push_back(static_cast<std::uint8_t>(v >> 16));
            raw.push_back(static_cast<std::uint8_t>(v >> 8));
            raw.push_back(static_cast<std::uint8_t>(v));
        }
    }
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t pos = 0; pos < raw.size() || pos == 0;) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<std::uint8_t>(n));
        z.push_back(static_cast<std::uint8_t>(n >> 8));
        z.push_back(static_cast<std::uint8_t>(~n));
        z.push_back(static_cast<std::uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
                 raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
        if (last) break;
    }
    PutBe32(z, (b << 16) | a);

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr;
    PutBe32(ihdr, static_cast<std::uint32_t>(width));
    PutBe32(ihdr, static_cast<std::uint32_t>(height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    Chunk(png, "IHDR", ihdr);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
    WriteBytes(path, png);
    return true;
}

std::wstring ArtifactsFolder() {
    const std::wstring folder = BuildFolder() + L"\\artifacts";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

ScreenPixels CaptureWindow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return {};
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    qm::UniqueBitmap bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    qm::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!bitmap || !dc) return {};
    HGDIOBJ old = SelectObject(dc.get(), bitmap.get());
    HDC screen = GetDC(nullptr);
    BitBlt(dc.get(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    ScreenPixels shot{w, h, std::vector<std::uint32_t>(p, p + static_cast<std::size_t>(w) * h)};
    SelectObject(dc.get(), old);
    return shot;
}

std::wstring SaveScreenshot(HWND window, const std::wstring& name) {
    const ScreenPixels shot = CaptureWindow(window);
    if (shot.bgra.empty()) return {};
    const std::wstring path = ArtifactsFolder() + L"\\" + name + L".png";
    return WritePng(path, shot.width, shot.height, shot.bgra) ? path : std::wstring();
}

// ---- languages ---------------------------------------------------------------------------------
ScopedLanguageFile::ScopedLanguageFile(std::wstring name, const std::wstring& text)
    : name_(std::move(name)), path_(qm::ModuleFolder() + L"langs\\" + name_) {
    CreateDirectoryW((qm::ModuleFolder() + L"langs").c_str(), nullptr);
    WriteUtf16File(path_, text);
}

ScopedLanguageFile::~ScopedLanguageFile() { DeleteFileW(path_.c_str()); }

ScopedCurrentLanguage::ScopedCurrentLanguage(const std::wstring& name) : oldCurrent_(qm::CurrentLanguage()) {
    const std::wstring settings = qm::SettingsFilePath();
    wchar_t buffer[2048] = {};
    GetPrivateProfileStringW(L"Translate", L"CurLang", L"\x01", buffer, 2048, settings.c_str());
    hadSetting_ = std::wstring(buffer) != L"\x01";
    oldSetting_ = buffer;
    qm::WriteSetting(qm::kCurLangSetting, name);
    qm::CurrentLanguage() = name;
}

ScopedCurrentLanguage::~ScopedCurrentLanguage() {
    const std::wstring settings = qm::SettingsFilePath();
    WritePrivateProfileStringW(L"Translate", L"CurLang", hadSetting_ ? oldSetting_.c_str() : nullptr, settings.c_str());
    qm::CurrentLanguage() = oldCurrent_;
}

// ---- WindowCloser ------------------------------------------------------------------------------
WindowCloser::WindowCloser() : known_(TopLevelWindowsOf(GetCurrentProcessId(), false)), thread_([this] { Run(); }) {}

WindowCloser::~WindowCloser() {
    stop_ = true;
    thread_.join();
}

std::vector<SeenWindow> WindowCloser::Seen() const {
    std::lock_guard lock(mutex_);
    return seen_;
}

void WindowCloser::Run() {
    while (!stop_) {
        for (HWND h : TopLevelWindowsOf(GetCurrentProcessId())) {
            std::lock_guard lock(mutex_);
            if (std::find(known_.begin(), known_.end(), h) != known_.end()) continue;
            known_.push_back(h);
            SeenWindow s;
            s.caption = WindowCaption(h);
            s.className = WindowClass(h);
            s.owner = GetWindow(h, GW_OWNER);
            s.ownerWasDisabled = s.owner && !IsWindowEnabled(s.owner);
            seen_.push_back(s);
            PostMessageW(h, WM_CLOSE, 0, 0);
        }
        Sleep(30);
    }
}

}  // namespace qmtest
