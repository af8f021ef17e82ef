#include "ui/form_win.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "core/base/error.h"
#include "core/base/message_owner_win.h"
#include "core/base/text.h"
#include "ui/controls_win.h"
#include "ui/dpi_win.h"

namespace ui {

namespace {
const wchar_t kControlProp[] = L"ui.Control";
const wchar_t kFormProp[] = L"ui.Form";
const wchar_t kFormClass[] = L"UiForm";
// Posted to a form to run what Form::Later queued.
constexpr UINT kRunLater = WM_APP + 0x3F0;

// The message font at 96 DPI (the form makes it for its own DPI).
LOGFONTW MessageFont() {
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof m;
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0, kDesignDpi)) return m.lfMessageFont;
    return IconTitleFont();
}

DWORD StyleFor(BorderStyle border, bool minimizeBox, bool maximizeBox) {
    DWORD s = WS_CLIPCHILDREN;
    switch (border) {
        case BorderStyle::Sizeable: s |= WS_OVERLAPPEDWINDOW; break;
        case BorderStyle::FixedSingle: s |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU; break;
        case BorderStyle::Dialog: s |= WS_POPUP | WS_CAPTION | WS_SYSMENU; break;
    }
    if (border != BorderStyle::Sizeable) {
        if (minimizeBox) s |= WS_MINIMIZEBOX;
        if (maximizeBox) s |= WS_MAXIMIZEBOX;
    }
    return s;
}

void RegisterFormClass() {
    static bool done = false;
    if (done) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window below
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    RegisterClassExW(&wc);
    done = true;
}
}  // namespace

const wchar_t* KindName(Kind kind) {
    switch (kind) {
        case Kind::Button: return L"button";
        case Kind::RadioButton: return L"radio button";
        case Kind::CheckBox: return L"check box";
        case Kind::MenuItem: return L"menu item";
        case Kind::GroupBox: return L"group box";
        case Kind::Label: return L"label";
        case Kind::OpenDialog: return L"open dialog";
        case Kind::ToolButton: return L"tool button";
        case Kind::ListView: return L"list view";
        case Kind::SpeedButton: return L"speed button";
        case Kind::Control: return L"control";
        case Kind::Action: return L"action";
        case Kind::Edit: return L"edit";
        case Kind::Memo: return L"memo";
        case Kind::ComboBox: return L"combo box";
        case Kind::ListBox: return L"list box";
        case Kind::Image: return L"image";
        case Kind::Shape: return L"shape";
        case Kind::Panel: return L"panel";
        case Kind::Timer: return L"timer";
        case Kind::ImageList: return L"image list";
        case Kind::FileListBox: return L"file list box";
    }
    return L"?";
}

// ---- Component ---------------------------------------------------------------------------------
Component::Component(Form& owner, std::wstring name, Kind kind)
    : owner_(owner), name_(std::move(name)), kind_(kind), id_(owner.Register(this)) {}

Component::~Component() { owner_.Unregister(this); }

// ---- Control -----------------------------------------------------------------------------------
Control::Control(Form& owner, std::wstring name, Kind kind, Control* parent)
    : Component(owner, std::move(name), kind), parent_(parent) {}

Control::Control(Form& owner, std::wstring name, Control* parent, const wchar_t* windowClass, Bounds bounds,
                 std::wstring_view text, DWORD style)
    : Component(owner, std::move(name), Kind::Control), parent_(parent) {
    Create(windowClass, style, 0, bounds, text);
}

Control::~Control() {
    if (!window_.get()) return;
    if (subclassed_) RemoveWindowSubclass(window_.get(), SubclassProc, 1);
    RemovePropW(window_.get(), kControlProp);
    window_.reset();
}

HWND Control::ParentHandle() const { return parent_ ? parent_->Handle() : Owner().Handle(); }

void Control::Create(const wchar_t* windowClass, DWORD style, DWORD exStyle, Bounds b, std::wstring_view text) {
    const std::wstring caption(text);
    const Form& form = Owner();
    window_.reset(CreateWindowExW(exStyle, windowClass, caption.c_str(), style | WS_CHILD | WS_VISIBLE, form.Scale(b.x),
                                  form.Scale(b.y), form.Scale(b.width), form.Scale(b.height), ParentHandle(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id())), GetModuleHandleW(nullptr),
                                  this));
    if (!window_.get()) throw std::runtime_error("cannot create the control " + qm::WideToUtf8(Name()));
    if (!GetPropW(window_.get(), kControlProp)) SetPropW(window_.get(), kControlProp, this);
    ApplyFont(font_ ? font_.get() : Owner().FontHandle());
}

Control* Control::FromHandle(HWND hwnd) { return hwnd ? static_cast<Control*>(GetPropW(hwnd, kControlProp)) : nullptr; }

std::wstring WindowText(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring s(static_cast<std::size_t>(std::max(0, n)) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, s.data(), static_cast<int>(s.size()));
    s.resize(static_cast<std::size_t>(std::clamp(got, 0, static_cast<int>(s.size()) - 1)));
    return s;
}

std::wstring Control::Text() const { return WindowText(window_.get()); }

void Control::SetText(std::wstring_view text) {
    const std::wstring t(text);
    SetWindowTextW(window_.get(), t.c_str());
}

void Control::SetHint(std::wstring_view hint) {
    const bool had = !hint_.empty();
    hint_ = hint;
    if (!had && hint_.empty()) return;
    HWND tip = Owner().TooltipWindow();
    if (!tip || !window_.get()) return;
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = ParentHandle();
    ti.uId = reinterpret_cast<UINT_PTR>(window_.get());
    ti.lpszText = hint_.data();
    SendMessageW(tip, had ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

Bounds Control::GetBounds() const {
    RECT r{};
    GetWindowRect(window_.get(), &r);
    MapWindowPoints(HWND_DESKTOP, ParentHandle(), reinterpret_cast<POINT*>(&r), 2);
    const int dpi = Owner().Dpi();
    return {ScaleFromDpi(r.left, dpi), ScaleFromDpi(r.top, dpi), ScaleFromDpi(r.right - r.left, dpi),
            ScaleFromDpi(r.bottom - r.top, dpi)};
}

Bounds Control::LayoutBounds() const { return GetBounds(); }

void Control::SetBounds(Bounds b) {
    const Form& form = Owner();
    MoveWindow(window_.get(), form.Scale(b.x), form.Scale(b.y), form.Scale(b.width), form.Scale(b.height), TRUE);
}

SIZE Control::ClientPixels() const {
    RECT r{};
    GetClientRect(window_.get(), &r);
    return {r.right, r.bottom};
}
bool Control::Visible() const { return (GetWindowLongW(window_.get(), GWL_STYLE) & WS_VISIBLE) != 0; }
void Control::SetVisible(bool visible) { ShowWindow(window_.get(), visible ? SW_SHOWNA : SW_HIDE); }
bool Control::Enabled() const { return IsWindowEnabled(window_.get()) != FALSE; }
void Control::SetEnabled(bool enabled) { EnableWindow(window_.get(), enabled ? TRUE : FALSE); }
void Control::BringToFront() {
    SetWindowPos(window_.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
void Control::SendToBack() {
    SetWindowPos(window_.get(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
void Control::Invalidate() { InvalidateRect(window_.get(), nullptr, TRUE); }
void Control::Repaint() { RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
void Control::SetFocus() { ::SetFocus(window_.get()); }
bool Control::ContainsFocus() const {
    const HWND focus = GetFocus();
    return focus && (focus == window_.get() || IsChild(window_.get(), focus));
}

namespace {
void ModifyWindowLong(HWND hwnd, int which, DWORD add, DWORD remove) {
    const auto bits = static_cast<DWORD>(GetWindowLongPtrW(hwnd, which));
    SetWindowLongPtrW(hwnd, which, static_cast<LONG_PTR>((bits | add) & ~remove));
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}
}  // namespace

void Control::ModifyStyle(DWORD add, DWORD remove) { ModifyWindowLong(window_.get(), GWL_STYLE, add, remove); }
void Control::ModifyExStyle(DWORD add, DWORD remove) { ModifyWindowLong(window_.get(), GWL_EXSTYLE, add, remove); }

HFONT Control::Font() const { return reinterpret_cast<HFONT>(SendMessageW(window_.get(), WM_GETFONT, 0, 0)); }

SIZE Control::TextExtent(std::wstring_view text) const {
    SIZE size{};
    qm::WindowDc dc(window_.get());
    if (!dc.get()) return size;
    const HFONT font = Font();
    HGDIOBJ original = font ? SelectObject(dc.get(), font) : nullptr;
    GetTextExtentPoint32W(dc.get(), text.data(), static_cast<int>(text.size()), &size);
    if (original) SelectObject(dc.get(), original);
    return size;
}

RedrawPause::RedrawPause(Control& control) : window_(control.Handle()) {
    SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
}
RedrawPause::~RedrawPause() {
    SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window_, nullptr, TRUE);
}

void Control::SetFont(const LOGFONTW& font) {
    fontDesign_ = font;
    MakeFont();
}

void Control::MakeFont() {
    const LOGFONTW scaled = FontForDpi(fontDesign_, Owner().Dpi());
    font_.reset(CreateFontIndirectW(&scaled));
    ApplyFont(font_.get());
}

void Control::ApplyFont(HFONT font) {
    if (window_.get() && font) SendMessageW(window_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Control::SetTextColor(Color c) {
    hasTextColor_ = true;
    textColor_ = ToRgb(c);
    Invalidate();
}

void Control::SetBackgroundColor(Color c) {
    hasBackground_ = true;
    background_.reset(CreateSolidBrush(ToRgb(c)));
    Invalidate();
}

HBRUSH Control::HandleControlColor(HDC dc) {
    if (!hasTextColor_ && !hasBackground_) return nullptr;
    if (hasTextColor_) ::SetTextColor(dc, textColor_);
    if (hasBackground_) {
        LOGBRUSH lb{};
        GetObjectW(background_.get(), sizeof lb, &lb);
        SetBkColor(dc, lb.lbColor);
        return background_.get();
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

void Control::HandleCommand(WORD) {}

bool Control::HandleNotify(NMHDR& header, LRESULT&) {
    if (header.code == NM_CLICK) Fire(OnClick);
    if (header.code == NM_DBLCLK) Fire(OnDblClick);
    return false;
}

LRESULT Control::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    return subclassed_ ? DefSubclassProc(window_.get(), msg, wp, lp) : DefWindowProcW(window_.get(), msg, wp, lp);
}

LRESULT Control::CallOriginal(UINT msg, WPARAM wp, LPARAM lp) { return DefSubclassProc(window_.get(), msg, wp, lp); }

void Control::Subclass() {
    subclassed_ = SetWindowSubclass(window_.get(), SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* c = reinterpret_cast<Control*>(data);
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, SubclassProc, 1);
        c->subclassed_ = false;
        return DefSubclassProc(hwnd, msg, wp, lp);
    }
    LRESULT r = 0;
    c->Owner().Guard([&] { r = c->WindowProc(msg, wp, lp); });
    return r;
}

void Control::Fire(const std::function<void()>& fn) {
    if (fn) Owner().Guard(fn);
}

// The window procedure of the framework's own control classes (panel, image, shape).
LRESULT CALLBACK FrameworkControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetPropW(hwnd, kControlProp, cs->lpCreateParams);
    }
    Control* c = Control::FromHandle(hwnd);
    if (!c) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCCREATE) return DefWindowProcW(hwnd, msg, wp, lp);
    // A message whose handling failed (the error was shown) counts as handled: the default
    // processing of, say, WM_CLOSE must not run behind the handler's back.
    LRESULT r = 0;
    c->Owner().Guard([&] { r = c->WindowProc(msg, wp, lp); });
    return r;
}

// ---- routing -----------------------------------------------------------------------------------
bool RouteToChild(Form& form, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND: {
            const WORD code = HIWORD(wp);
            if (lp) {
                Control* c = Control::FromHandle(reinterpret_cast<HWND>(lp));
                if (!c) return false;
                form.Guard([&] { c->HandleCommand(code); });
                result = 0;
                return true;
            }
            if (code == 0) {  // a menu item
                if (auto* item = dynamic_cast<MenuItem*>(form.FindComponentById(LOWORD(wp)))) {
                    if (item->OnClick) form.Guard(item->OnClick);
                    result = 0;
                    return true;
                }
            }
            return false;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lp);
            Control* c = Control::FromHandle(header->hwndFrom);
            if (!c) return false;
            bool handled = false;
            result = 0;
            form.Guard([&] { handled = c->HandleNotify(*header, result); });
            return handled;
        }
        case WM_DRAWITEM: {
            auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (d->CtlType == ODT_MENU) return false;
            Control* c = Control::FromHandle(d->hwndItem);
            if (!c) return false;
            form.Guard([&] { c->HandleDrawItem(*d); });
            result = TRUE;
            return true;
        }
        case WM_MEASUREITEM: {
            auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
            if (m->CtlType == ODT_MENU) return false;
            auto* c = dynamic_cast<Control*>(form.FindComponentById(static_cast<int>(m->CtlID)));
            if (!c) return false;
            form.Guard([&] { c->HandleMeasureItem(*m); });
            result = TRUE;
            return true;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            Control* c = Control::FromHandle(reinterpret_cast<HWND>(lp));
            if (!c) return false;
            HBRUSH b = c->HandleControlColor(reinterpret_cast<HDC>(wp));
            if (!b) return false;
            result = reinterpret_cast<LRESULT>(b);
            return true;
        }
        default: return false;
    }
}

// ---- Form --------------------------------------------------------------------------------------
Form::Form(Form* owner) : owner_(owner) {
    RegisterFormClass();
    window_.reset(CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, L"", StyleFor(BorderStyle::Sizeable, true, true),
                                  CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, owner ? owner->Handle() : nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
    if (!window_.get()) throw std::runtime_error("cannot create a window");
    SetPropW(window_.get(), kFormProp, this);
    SetWindowLongPtrW(window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticProc));
    dpi_ = WindowDpi(window_.get());
    fontDesign_ = MessageFont();
    const LOGFONTW lf = FontForDpi(fontDesign_, dpi_);
    font_.reset(CreateFontIndirectW(&lf));
    if (!owner) App().forms_.push_back(this);
}

Form::~Form() {
    auto& forms = App().forms_;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    if (App().main_ == this) App().main_ = nullptr;
    while (!components_.empty()) components_.pop_back();  // children before their containers
    tooltip_.reset();
    RemovePropW(window_.get(), kFormProp);
    SetWindowLongPtrW(window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
    window_.reset();
}

Form* Form::FromHandle(HWND hwnd) { return hwnd ? static_cast<Form*>(GetPropW(hwnd, kFormProp)) : nullptr; }

int Form::Register(Component* c) {
    const int id = nextId_++;
    byId_[id] = c;
    return id;
}

void Form::Unregister(Component* c) { byId_.erase(c->Id()); }

Component* Form::FindComponent(std::wstring_view name) const {
    for (const auto& c : components_) {
        if (c->Name() == name) return c.get();
    }
    return nullptr;
}

Component* Form::FindComponentById(int id) const {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

std::wstring Form::Caption() const { return WindowText(window_.get()); }

void Form::SetCaption(std::wstring_view caption) {
    const std::wstring c(caption);
    SetWindowTextW(window_.get(), c.c_str());
}

int Form::Scale(int value) const { return ScaleToDpi(value, dpi_); }

int Form::Metric(int index) const { return SystemMetricForDpi(index, dpi_); }

RECT Form::WindowRectAt(int dpi) const {
    RECT r{0, 0, ScaleToDpi(designClient_.cx, dpi), ScaleToDpi(designClient_.cy, dpi)};
    AdjustWindowRectExForDpi(&r, static_cast<DWORD>(GetWindowLongW(window_.get(), GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongW(window_.get(), GWL_EXSTYLE)), static_cast<UINT>(dpi));
    return r;
}

void Form::SetClientSize(int designWidth, int designHeight) {
    designClient_ = {designWidth, designHeight};
    const int width = Scale(designWidth), height = Scale(designHeight);
    const RECT r = WindowRectAt(dpi_);
    SetWindowPos(window_.get(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The platform may lay the frame out differently from AdjustWindowRectEx: correct by the
    // difference actually seen.
    RECT got{};
    GetClientRect(window_.get(), &got);
    const int dx = width - got.right, dy = height - got.bottom;
    if (dx || dy) {
        SetWindowPos(window_.get(), nullptr, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

SIZE Form::ClientSize() const {
    RECT r{};
    GetClientRect(window_.get(), &r);
    return {ScaleFromDpi(r.right, dpi_), ScaleFromDpi(r.bottom, dpi_)};
}

void Form::SetBorderStyle(BorderStyle style, bool minimizeBox, bool maximizeBox) {
    border_ = style;
    const SIZE client = ClientSize();
    SetWindowLongW(window_.get(), GWL_STYLE, static_cast<LONG>(StyleFor(style, minimizeBox, maximizeBox)));
    SetWindowPos(window_.get(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetClientSize(client.cx, client.cy);
}

void Form::SetFont(const LOGFONTW& font) {
    fontDesign_ = font;
    const LOGFONTW scaled = FontForDpi(font, dpi_);
    font_.reset(CreateFontIndirectW(&scaled));
    for (const auto& c : components_) {
        if (auto* control = dynamic_cast<Control*>(c.get()); control && control->ParentFont()) {
            control->ApplyFont(font_.get());
        }
    }
}

void Form::ChangeDpi(int dpi, const RECT* suggested) {
    if (dpi > 0 && dpi != dpi_) {
        // Every control's 96-DPI place, read while the form is still at the old DPI.
        std::vector<std::pair<Control*, Bounds>> places;
        for (const auto& c : components_) {
            if (auto* control = dynamic_cast<Control*>(c.get()); control && control->Handle()) {
                places.emplace_back(control, control->LayoutBounds());
            }
        }
        const int old = dpi_;
        dpi_ = dpi;
        const LOGFONTW scaled = FontForDpi(fontDesign_, dpi_);
        qm::UniqueFont font(CreateFontIndirectW(&scaled));  // the old one goes once no control uses it
        for (auto& [control, place] : places) {
            if (control->ParentFont()) {
                control->ApplyFont(font.get());
            } else {
                control->MakeFont();
            }
            control->SetBounds(place);
        }
        font_ = std::move(font);
        for (auto& [control, place] : places) control->DpiChanged(old);
        for (const auto& c : components_) {
            if (auto* list = dynamic_cast<ImageList*>(c.get())) list->DpiChanged();
        }
    }
    if (suggested) {
        SetWindowPos(window_.get(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    FormDpiChanged();
}

void Form::SetAnchors(Control& control, unsigned anchors) {
    anchored_.push_back({&control, anchors, control.LayoutBounds(), ClientSize()});
}

void Form::PlaceAnchored(Control& control, Bounds bounds) {
    control.SetBounds(bounds);
    for (Anchored& a : anchored_) {
        if (a.control != &control) continue;
        a.design = bounds;
        a.client = ClientSize();
    }
}

void Form::ApplyAnchors() {
    const SIZE now = ClientSize();
    if (now.cx <= 0 || now.cy <= 0) return;  // minimised
    for (const Anchored& a : anchored_) {
        Bounds b = a.design;
        const int dx = now.cx - a.client.cx, dy = now.cy - a.client.cy;
        if (a.anchors & akRight) {
            if (a.anchors & akLeft)
                b.width = std::max(0, b.width + dx);
            else
                b.x += dx;
        }
        if (a.anchors & akBottom) {
            if (a.anchors & akTop)
                b.height = std::max(0, b.height + dy);
            else
                b.y += dy;
        }
        a.control->SetBounds(b);
    }
}

HWND Form::TooltipWindow() {
    if (!tooltip_) {
        tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_.get(), nullptr,
                                       GetModuleHandleW(nullptr), nullptr));
    }
    return tooltip_.get();
}

void CentreOnOwner(HWND window, HWND owner) {
    const bool overOwner = owner && !IsIconic(owner);
    const HMONITOR monitor = overOwner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                       : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info))
        info.rcWork = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const RECT& work = info.rcWork;
    RECT over = work, self{};
    if (overOwner) GetWindowRect(owner, &over);
    GetWindowRect(window, &self);
    const int w = self.right - self.left, h = self.bottom - self.top;
    // Kept on the owner's monitor when the owner lies near its edge (the top left corner shown
    // when the window is larger than the work area).
    const int x = std::max<int>(work.left, std::min<int>(over.left + (over.right - over.left - w) / 2, work.right - w));
    const int y = std::max<int>(work.top, std::min<int>(over.top + (over.bottom - over.top - h) / 2, work.bottom - h));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() {
    Guard([this] { FormShow(); });
    if (centre_) CentreOnOwner(window_.get(), owner_ ? owner_->Handle() : nullptr);
    ShowWindow(window_.get(), SW_SHOW);
    SetForegroundWindow(window_.get());
    UpdateWindow(window_.get());
}

void Form::Hide() { ShowWindow(window_.get(), SW_HIDE); }

namespace {
struct Disabler {
    HWND keep;
    std::vector<HWND> disabled;
};
BOOL CALLBACK DisableOthers(HWND hwnd, LPARAM lp) {
    auto* d = reinterpret_cast<Disabler*>(lp);
    if (hwnd != d->keep && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        EnableWindow(hwnd, FALSE);
        d->disabled.push_back(hwnd);
    }
    return TRUE;
}
}  // namespace

int Form::ShowModal() {
    modal_ = true;
    modalResult_ = mrNone;
    Disabler d{window_.get(), {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableOthers, reinterpret_cast<LPARAM>(&d));
    Show();
    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg;
    while (modalResult_ == mrNone && IsWindow(window_.get())) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got < 0) break;
        DispatchOneMessage(msg);
    }
    for (HWND h : d.disabled) EnableWindow(h, TRUE);
    if (owner_) SetActiveWindow(owner_->Handle());
    Hide();
    modal_ = false;
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return modalResult_ == mrNone ? mrCancel : modalResult_;
}

void Form::SetModalResult(int result) { modalResult_ = result; }

void Form::Close() {
    bool allowed = false;  // an error while asking keeps the form open
    Guard([&] { allowed = FormCloseQuery(); });
    if (!allowed) return;
    if (modal_) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
        return;
    }
    Hide();
    if (App().MainForm() == this) PostQuitMessage(0);
}

void Form::Later(std::function<void()> fn) {
    later_.push_back(std::move(fn));
    PostMessageW(window_.get(), kRunLater, 0, 0);
}

void Form::FocusFirstControl() {
    const HWND first = GetNextDlgTabItem(window_.get(), nullptr, FALSE);
    ::SetFocus(first ? first : window_.get());
}

void Form::Guard(const std::function<void()>& fn) noexcept {
    try {
        fn();
    } catch (const qm::UserError& e) {
        App().ShowError(e.text());
    } catch (const std::exception& e) {
        App().ShowError(qm::Utf8ToWide(e.what()));
    } catch (...) {
        App().ShowError(L"Unexpected error.");
    }
}

void Form::PopupMenu(const std::vector<MenuItem*>& items, POINT screen) {
    qm::UniqueMenu menu(CreatePopupMenu());
    for (MenuItem* item : items) {
        const UINT flags = MF_STRING | (item->checked ? MF_CHECKED : MF_UNCHECKED);
        AppendMenuW(menu.get(), flags, static_cast<UINT_PTR>(item->Id()), item->caption.c_str());
    }
    const int chosen =
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y, 0, window_.get(), nullptr);
    if (auto* item = dynamic_cast<MenuItem*>(FindComponentById(chosen)); item && item->OnClick) Guard(item->OnClick);
}

LRESULT CALLBACK Form::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Form* f = FromHandle(hwnd);
    if (!f) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT r = 0;  // a failed message counts as handled (see FrameworkControlProc)
    f->Guard([&] { r = f->WindowProc(msg, wp, lp); });
    return r;
}

LRESULT Form::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = 0;
    if (RouteToChild(*this, msg, wp, lp, r)) return r;
    switch (msg) {
        case WM_CLOSE: Close(); return 0;
        case kRunLater:
            if (!later_.empty()) {
                const std::function<void()> fn = std::move(later_.front());
                later_.erase(later_.begin());
                Guard(fn);
            }
            return 0;
        case WM_COMMAND:
            // Escape reaches the window as the dialog command IDCANCEL: the Cancel button's job.
            if (LOWORD(wp) == IDCANCEL && lp == 0) {
                if (cancel_ && cancel_->Enabled()) cancel_->HandleCommand(BN_CLICKED);
                return 0;
            }
            break;
        case WM_SIZE: {
            const LRESULT r = DefWindowProcW(window_.get(), msg, wp, lp);
            ApplyAnchors();
            FormResize();
            return r;
        }
        case WM_GETMINMAXINFO:
            if (minClient_.cx > 0 || minClient_.cy > 0) {
                RECT r{0, 0, Scale(minClient_.cx), Scale(minClient_.cy)};
                AdjustWindowRectExForDpi(&r, static_cast<DWORD>(GetWindowLongW(window_.get(), GWL_STYLE)), FALSE,
                                         static_cast<DWORD>(GetWindowLongW(window_.get(), GWL_EXSTYLE)),
                                         static_cast<UINT>(dpi_));
                auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
                if (minClient_.cx > 0) mm->ptMinTrackSize.x = std::max<LONG>(mm->ptMinTrackSize.x, r.right - r.left);
                if (minClient_.cy > 0) mm->ptMinTrackSize.y = std::max<LONG>(mm->ptMinTrackSize.y, r.bottom - r.top);
                return 0;
            }
            break;
        case WM_DPICHANGED:
            // The new DPI in both words of wParam; lParam the rectangle the platform suggests.
            ChangeDpi(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_GETDPISCALEDSIZE:
            // Asked before WM_DPICHANGED (per-monitor v2). Unanswered, Windows scales the whole
            // window, frame included, and the client area of a window of fixed size ends a pixel
            // or two off its design: such a window asks for its design client area at the new DPI
            // with that DPI's frame around it. A sizeable window keeps the platform's scaling.
            if (border_ != BorderStyle::Sizeable) {
                const RECT r = WindowRectAt(static_cast<int>(wp));
                *reinterpret_cast<SIZE*>(lp) = {r.right - r.left, r.bottom - r.top};
                return TRUE;
            }
            return FALSE;
        case WM_TIMER:
            if (auto* t = dynamic_cast<Timer*>(FindComponentById(static_cast<int>(wp)))) {
                t->Fire();
                return 0;
            }
            break;
        default: break;
    }
    return DefWindowProcW(window_.get(), msg, wp, lp);
}

// ---- Application -------------------------------------------------------------------------------
Application& App() {
    static Application app;
    return app;
}

void DispatchOneMessage(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && Form::FromHandle(root) && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int Application::Run(Form& main) {
    main_ = &main;
    main.Show();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchOneMessage(msg);
    main_ = nullptr;
    return static_cast<int>(msg.wParam);
}

void Application::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        DispatchOneMessage(msg);
    }
}

void Application::ShowError(std::wstring_view text) {
    // Owned by the window the user is working in, so a modal form keeps its owner disabled.
    HWND owner = GetActiveWindow();
    if (!owner && main_) owner = main_->Handle();
    const qm::ThreadMessageOwnerScope scope(owner);
    qm::ShowUserMessage(std::wstring(text), title_, MB_OK | MB_ICONERROR);
}

}  // namespace ui
