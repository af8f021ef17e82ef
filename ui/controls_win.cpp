#include "ui/controls_win.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>

#include "core/base/long_path_win.h"
#include "ui/dialogs_win.h"
#include "ui/dpi_win.h"

namespace ui {

LRESULT CALLBACK FrameworkControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);  // form_win.cpp

namespace {
// The framework's own control classes share one window procedure.
const wchar_t* FrameworkClass(const wchar_t* name, bool doubleClicks) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return name;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = doubleClicks ? CS_DBLCLKS : 0;
    wc.lpfnWndProc = FrameworkControlProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
    return name;
}

std::wstring ListText(HWND hwnd, UINT lenMsg, UINT textMsg, int index) {
    const LRESULT n = SendMessageW(hwnd, lenMsg, static_cast<WPARAM>(index), 0);
    if (n < 0) return {};
    std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
    const LRESULT got = SendMessageW(hwnd, textMsg, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, n)));
    return s;
}

// Answers WM_PAINT: `paint` draws on a canvas over the whole client area.
template <class Paint>
LRESULT PaintClient(const Control& control, Paint paint) {
    const HWND hwnd = control.Handle();
    const qm::PaintScope painting(hwnd);
    Canvas canvas(painting.dc(), control.Owner().Dpi());  // ends before the painting does
    RECT all{};
    GetClientRect(hwnd, &all);
    paint(canvas, all);
    return 0;
}

// Without a drawing handler: the item's text on the usual colours.
void DrawDefaultItem(DRAWITEMSTRUCT& d, const std::wstring& text, const Form& form) {
    Canvas canvas(d.hDC, form.Dpi());
    const bool selected = (d.itemState & ODS_SELECTED) != 0;
    canvas.FillRect(d.rcItem, SystemColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    canvas.SetTextColor(SystemColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    canvas.SetTransparentText(true);
    canvas.TextOut(d.rcItem.left + form.Scale(2), d.rcItem.top + form.Scale(1), text);
}
}  // namespace

// ---- buttons ---------------------------------------------------------------------------------
PushButtonBase::PushButtonBase(Form& owner, std::wstring name, Kind kind, Control* parent, Bounds b,
                               std::wstring_view caption, DWORD style)
    : Control(owner, std::move(name), kind, parent) {
    Create(L"BUTTON", style | BS_PUSHBUTTON, 0, b, caption);
}

void PushButtonBase::HandleCommand(WORD code) {
    if (code == BN_CLICKED) Fire(OnClick);
}

Button::Button(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption)
    : PushButtonBase(owner, std::move(name), Kind::Button, parent, b, caption, WS_TABSTOP) {}

void Button::HandleCommand(WORD code) {
    if (code != BN_CLICKED) return;
    Fire(OnClick);
    if (modalResult != mrNone) Owner().SetModalResult(modalResult);
}

SpeedButton::SpeedButton(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption)
    : PushButtonBase(owner, std::move(name), Kind::SpeedButton, parent, b, caption, BS_FLAT) {}

ToolButton::ToolButton(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption)
    : PushButtonBase(owner, std::move(name), Kind::ToolButton, parent, b, caption, BS_FLAT | WS_TABSTOP) {}

CheckableBase::CheckableBase(Form& owner, std::wstring name, Kind kind, Control* parent, Bounds b,
                             std::wstring_view caption, DWORD style)
    : Control(owner, std::move(name), kind, parent) {
    Create(L"BUTTON", style | WS_TABSTOP, 0, b, caption);
}

bool CheckableBase::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void CheckableBase::SetChecked(bool checked) {
    SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
void CheckableBase::HandleCommand(WORD code) {
    if (code == BN_CLICKED) Fire(OnClick);
}

CheckBox::CheckBox(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption)
    : CheckableBase(owner, std::move(name), Kind::CheckBox, parent, b, caption, BS_AUTOCHECKBOX | BS_MULTILINE) {}

RadioButton::RadioButton(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption)
    : CheckableBase(owner, std::move(name), Kind::RadioButton, parent, b, caption, BS_AUTORADIOBUTTON | BS_MULTILINE) {}

// ---- containers --------------------------------------------------------------------------------
GroupBox::GroupBox(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption)
    : Control(owner, std::move(name), Kind::GroupBox, parent) {
    Create(L"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, b, caption);
    Subclass();
}

LRESULT GroupBox::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = 0;
    if (RouteToChild(Owner(), msg, wp, lp, r)) return r;
    if (msg == WM_ERASEBKGND) {
        // The platform's group box leaves its inside unpainted, and a parent that clips its
        // children (panels, forms) does not paint it either.
        RECT all{};
        GetClientRect(Handle(), &all);
        FillRect(reinterpret_cast<HDC>(wp), &all, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return Control::WindowProc(msg, wp, lp);
}

Panel::Panel(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption)
    : Control(owner, std::move(name), Kind::Panel, parent) {
    Create(FrameworkClass(L"UiPanel", false), WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, b, caption);
}

LRESULT Panel::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = 0;
    if (RouteToChild(Owner(), msg, wp, lp, r)) return r;
    switch (msg) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT:
            return PaintClient(*this, [&](Canvas& canvas, RECT all) {
                canvas.FillRect(all, color);
                const std::wstring caption = Text();
                if (caption.empty()) return;
                const qm::SelectedObject font(canvas.Handle(), Owner().FontHandle());
                canvas.SetTransparentText(true);
                DrawTextW(canvas.Handle(), caption.c_str(), -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            });
        case WM_SETTEXT: {
            const LRESULT r = Control::WindowProc(msg, wp, lp);
            Invalidate();
            return r;
        }
        case WM_SETFONT: return 0;  // kept by the control; WM_GETFONT below answers it
        case WM_GETFONT: return reinterpret_cast<LRESULT>(Owner().FontHandle());
        default: return Control::WindowProc(msg, wp, lp);
    }
}

// ---- texts -------------------------------------------------------------------------------------
Label::Label(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption)
    : Control(owner, std::move(name), Kind::Label, parent) {
    Create(L"STATIC", SS_LEFT | SS_NOTIFY, 0, b, caption);
}

void Label::SetAlignment(Alignment alignment) {
    const DWORD type = alignment == Alignment::Center ? SS_CENTER : alignment == Alignment::Right ? SS_RIGHT : SS_LEFT;
    ModifyStyle(type, SS_TYPEMASK & ~type);
    Invalidate();
}

// The class cursor belongs to every STATIC of the process (message box texts too): a link label
// answers WM_SETCURSOR over its own client area instead.
void Label::SetHandCursor() {
    if (!handCursor_) Subclass();
    handCursor_ = true;
}

LRESULT Label::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETCURSOR && handCursor_ && LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    return Control::WindowProc(msg, wp, lp);
}

void Label::HandleCommand(WORD code) {
    if (code == STN_CLICKED) Fire(OnClick);
    if (code == STN_DBLCLK) Fire(OnDblClick);
}

Edit::Edit(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view text, bool readOnly)
    : Edit(owner, std::move(name), Kind::Edit, parent, b, text, ES_AUTOHSCROLL | (readOnly ? ES_READONLY : 0)) {}

Edit::Edit(Form& owner, std::wstring name, Kind kind, Control* parent, Bounds b, std::wstring_view text, DWORD style)
    : Control(owner, std::move(name), kind, parent) {
    Create(L"EDIT", style | WS_TABSTOP, WS_EX_CLIENTEDGE, b, text);
}

void Edit::SetReadOnly(bool readOnly) { SendMessageW(Handle(), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0); }
bool Edit::ReadOnly() const { return (GetWindowLongW(Handle(), GWL_STYLE) & ES_READONLY) != 0; }
void Edit::HandleCommand(WORD code) {
    if (code == EN_CHANGE) Fire(OnChange);
}

Memo::Memo(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view text)
    : Edit(owner, std::move(name), Kind::Memo, parent, b, text,
           ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL) {}

// ---- lists -------------------------------------------------------------------------------------
namespace {
DWORD ListBoxStyle(ListStyle s) {
    switch (s) {
        case ListStyle::Standard: return 0;
        case ListStyle::OwnerDrawFixed: return LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
        case ListStyle::OwnerDrawVariable: return LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS;
    }
    return 0;
}
}  // namespace

namespace {
constexpr StringListMessages kListBoxMessages{LB_ADDSTRING,  LB_INSERTSTRING, LB_RESETCONTENT, LB_GETCOUNT,
                                              LB_GETTEXTLEN, LB_GETTEXT,      LB_GETCURSEL,    LB_SETCURSEL};
constexpr StringListMessages kComboBoxMessages{CB_ADDSTRING,    CB_INSERTSTRING, CB_RESETCONTENT, CB_GETCOUNT,
                                               CB_GETLBTEXTLEN, CB_GETLBTEXT,    CB_GETCURSEL,    CB_SETCURSEL};
}  // namespace

StringList::StringList(Form& owner, std::wstring name, Kind kind, Control* parent, const StringListMessages& messages)
    : Control(owner, std::move(name), kind, parent), messages_(messages) {}

int StringList::Add(std::wstring_view text) {
    const std::wstring t(text);
    return static_cast<int>(SendMessageW(Handle(), messages_.add, 0, reinterpret_cast<LPARAM>(t.c_str())));
}
int StringList::Insert(int index, std::wstring_view text) {
    const std::wstring t(text);
    return static_cast<int>(
        SendMessageW(Handle(), messages_.insert, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(t.c_str())));
}
void StringList::Clear() { SendMessageW(Handle(), messages_.reset, 0, 0); }
int StringList::Count() const { return static_cast<int>(SendMessageW(Handle(), messages_.count, 0, 0)); }
std::wstring StringList::Item(int index) const {
    return ListText(Handle(), messages_.textLength, messages_.text, index);
}
std::vector<std::wstring> StringList::Items() const {
    std::vector<std::wstring> items;
    for (int i = 0, n = Count(); i < n; ++i) items.push_back(Item(i));
    return items;
}
int StringList::ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), messages_.getSelection, 0, 0)); }
void StringList::SetItemIndex(int index) {
    SendMessageW(Handle(), messages_.setSelection, static_cast<WPARAM>(index), 0);
}

ListBox::ListBox(Form& owner, std::wstring name, Control* parent, Bounds b, ListStyle style, int itemHeight)
    : ListBox(owner, std::move(name), Kind::ListBox, parent, b, ListBoxStyle(style), itemHeight) {}

ListBox::ListBox(Form& owner, std::wstring name, Kind kind, Control* parent, Bounds b, DWORD style, int itemHeight)
    : StringList(owner, std::move(name), kind, parent, kListBoxMessages), itemHeight_(itemHeight) {
    Create(L"LISTBOX", style | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, b, {});
}

RECT ListBox::ItemRect(int index) const {
    RECT r{};
    SendMessageW(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return r;
}

void ListBox::HandleCommand(WORD code) {
    if (code == LBN_SELCHANGE) {
        Fire(OnSelect);
        Fire(OnClick);
    }
    if (code == LBN_DBLCLK) Fire(OnDblClick);
}

void ListBox::HandleDrawItem(DRAWITEMSTRUCT& d) {
    if (d.itemID == static_cast<UINT>(-1)) return;
    if (OnDrawItem) {
        Canvas canvas(d.hDC, Owner().Dpi());
        OnDrawItem(static_cast<int>(d.itemID), d.rcItem, d.itemState, canvas);
        return;
    }
    DrawDefaultItem(d, Item(static_cast<int>(d.itemID)), Owner());
}

int ListBox::MeasuredHeight(int index) {
    int h = Owner().Scale(itemHeight_);
    if (OnMeasureItem) OnMeasureItem(index, h);
    return std::clamp(h, 1, 255);
}

void ListBox::HandleMeasureItem(MEASUREITEMSTRUCT& m) {
    m.itemHeight = static_cast<UINT>(MeasuredHeight(static_cast<int>(m.itemID)));
}

void ListBox::DpiChanged(int) {
    const LONG style = GetWindowLongW(Handle(), GWL_STYLE);
    if (style & LBS_OWNERDRAWVARIABLE) {
        for (int i = 0, n = Count(); i < n; ++i) SendMessageW(Handle(), LB_SETITEMHEIGHT, i, MeasuredHeight(i));
    } else if (style & LBS_OWNERDRAWFIXED) {
        SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, MeasuredHeight(0));
    }
}

FileListBox::FileListBox(Form& owner, std::wstring name, Control* parent, std::wstring mask_)
    : ListBox(owner, std::move(name), Kind::FileListBox, parent, {0, 0, 0, 0}, LBS_SORT, 16), mask(std::move(mask_)) {
    SetVisible(false);
}

bool FileListBox::ListFolder(const std::wstring& folder) {
    Clear();
    folder_ = folder;
    std::wstring pattern = folder;
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += mask;
    WIN32_FIND_DATAW fd;
    qm::UniqueFind find(FindFirstFileW(pattern.c_str(), &fd));
    if (!find) return qm::IsExistingFolder(folder);
    std::vector<std::wstring> names;
    do {
        const DWORD skip = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if ((fd.dwFileAttributes & skip) == 0) names.emplace_back(fd.cFileName);
    } while (FindNextFileW(find.get(), &fd));
    for (const auto& n : names) Add(n);  // the list sorts by name
    return true;
}

namespace {
DWORD ComboStyleBits(ComboStyle s) {
    switch (s) {
        case ComboStyle::DropDown: return CBS_DROPDOWN | CBS_AUTOHSCROLL;
        case ComboStyle::DropDownList: return CBS_DROPDOWNLIST;
        case ComboStyle::OwnerDrawFixed: return CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
    }
    return CBS_DROPDOWNLIST;
}
}  // namespace

ComboBox::ComboBox(Form& owner, std::wstring name, Control* parent, Bounds b, ComboStyle style, int itemHeight)
    : StringList(owner, std::move(name), Kind::ComboBox, parent, kComboBoxMessages), itemHeight_(itemHeight) {
    // The height given is that of the closed box; the drop-down list gets room for several items.
    Bounds withList = b;
    withList.height = b.height + 8 * std::max(itemHeight, 16);
    Create(L"COMBOBOX", ComboStyleBits(style) | WS_VSCROLL | WS_TABSTOP, 0, withList, {});
}

void ComboBox::SetItemHeight(int height) {
    itemHeight_ = height;
    for (const WPARAM which : {static_cast<WPARAM>(0), static_cast<WPARAM>(-1)}) {
        SendMessageW(Handle(), CB_SETITEMHEIGHT, which, Owner().Scale(height));
    }
}

std::wstring ComboBox::Text() const {
    if ((GetWindowLongW(Handle(), GWL_STYLE) & 3) == CBS_DROPDOWNLIST) {
        const int i = ItemIndex();
        return i >= 0 ? Item(i) : std::wstring();
    }
    return Control::Text();
}

void ComboBox::HandleCommand(WORD code) {
    if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) Fire(OnChange);
}

void ComboBox::HandleDrawItem(DRAWITEMSTRUCT& d) {
    if (OnDrawItem && d.itemID != static_cast<UINT>(-1)) {
        Canvas canvas(d.hDC, Owner().Dpi());
        OnDrawItem(static_cast<int>(d.itemID), d.rcItem, d.itemState, canvas);
        return;
    }
    DrawDefaultItem(d, d.itemID == static_cast<UINT>(-1) ? std::wstring() : Item(static_cast<int>(d.itemID)), Owner());
}

void ComboBox::HandleMeasureItem(MEASUREITEMSTRUCT& m) {
    m.itemHeight = static_cast<UINT>(std::clamp(Owner().Scale(itemHeight_), 1, 255));
}

Bounds ComboBox::LayoutBounds() const {
    // The window of a drop-down combo box is as high as its closed box; the list lies below.
    Bounds b = GetBounds();
    RECT dropped{};
    if (SendMessageW(Handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) {
        b.height = std::max(b.height, ScaleFromDpi(dropped.bottom - dropped.top, Owner().Dpi()));
    }
    return b;
}

void ComboBox::DpiChanged(int oldDpi) {
    if (!(GetWindowLongW(Handle(), GWL_STYLE) & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE))) return;
    // The item and selection-field heights the platform keeps, at the new DPI.
    for (const WPARAM which : {static_cast<WPARAM>(0), static_cast<WPARAM>(-1)}) {
        const LRESULT h = SendMessageW(Handle(), CB_GETITEMHEIGHT, which, 0);
        if (h > 0) SendMessageW(Handle(), CB_SETITEMHEIGHT, which, MulDiv(static_cast<int>(h), Owner().Dpi(), oldDpi));
    }
}

namespace {
DWORD ListViewStyleBits(ListViewStyle s) {
    switch (s) {
        case ListViewStyle::Report: return LVS_REPORT;
        case ListViewStyle::Icon: return LVS_ICON;
        case ListViewStyle::SmallIcon: return LVS_SMALLICON;
        case ListViewStyle::List: return LVS_LIST;
    }
    return LVS_REPORT;
}
}  // namespace

ListView::ListView(Form& owner, std::wstring name, Control* parent, Bounds b, ListViewStyle style, ListViewData data)
    : Control(owner, std::move(name), Kind::ListView, parent), ownerData_(data == ListViewData::Owner) {
    // The image lists set into the view belong to the form's ImageList components.
    Create(WC_LISTVIEWW,
           ListViewStyleBits(style) | LVS_SHAREIMAGELISTS | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP |
               (ownerData_ ? LVS_OWNERDATA : 0),
           WS_EX_CLIENTEDGE, b, {});
    ListView_SetExtendedListViewStyle(Handle(), LVS_EX_FULLROWSELECT);
}

void ListView::AddColumn(std::wstring_view caption, int width) {
    std::wstring c(caption);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = c.data();
    col.cx = Owner().Scale(width);
    const int n = ColumnCount();
    SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(&col));
}

int ListView::ColumnCount() const {
    HWND header = ListView_GetHeader(Handle());
    return header ? Header_GetItemCount(header) : 0;
}

namespace {
// The list view tells no text's length before it is read: read into a buffer that grows until the
// text fits with room to spare. `read` copies at most `room` characters (with the terminator) and
// returns false when there is nothing to read.
template <class Read>
std::wstring ReadGrowing(Read read) {
    for (std::size_t room = 256;; room *= 2) {
        std::wstring s(room, L'\0');
        if (!read(s.data(), static_cast<int>(room))) return {};
        const std::size_t length = std::wcslen(s.c_str());
        if (length + 1 < room || room >= (std::size_t{1} << 24)) {
            s.resize(length);
            return s;
        }
    }
}
}  // namespace

std::wstring ListView::ColumnCaption(int index) const {
    return ReadGrowing([&](wchar_t* buffer, int room) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT;
        col.pszText = buffer;
        col.cchTextMax = room;
        return SendMessageW(Handle(), LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col)) != 0;
    });
}

void ListView::SetColumnCaption(int index, std::wstring_view caption) {
    std::wstring c(caption);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = c.data();
    SendMessageW(Handle(), LVM_SETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
}

void ListView::DpiChanged(int oldDpi) {
    for (int i = 0, n = ColumnCount(); i < n; ++i) {
        ListView_SetColumnWidth(Handle(), i, MulDiv(ListView_GetColumnWidth(Handle(), i), Owner().Dpi(), oldDpi));
    }
}

void ListView::SetImageList(ImageList* images, int which) {
    ListView_SetImageList(Handle(), images ? images->Handle() : nullptr, which);
}

int ListView::AddItem(std::wstring_view text, int image) {
    std::wstring t(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = Count();
    item.pszText = t.data();
    item.iImage = image;
    return static_cast<int>(SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::SetSubItem(int itemIndex, int column, std::wstring_view text) {
    std::wstring t(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = t.data();
    SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(itemIndex), reinterpret_cast<LPARAM>(&item));
}

std::wstring ListView::ItemText(int itemIndex, int column) const {
    // An owner-data entry's caption comes from the owner itself, in full.
    if (ownerData_) {
        return OnItemText && column == 0 && itemIndex >= 0 && itemIndex < Count() ? OnItemText(itemIndex)
                                                                                  : std::wstring();
    }
    return ReadGrowing([&](wchar_t* buffer, int room) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = room;
        SendMessageW(Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(itemIndex), reinterpret_cast<LPARAM>(&item));
        return true;
    });
}

void ListView::Clear() { ListView_DeleteAllItems(Handle()); }
int ListView::Count() const { return ListView_GetItemCount(Handle()); }
int ListView::ItemIndex() const { return ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); }
void ListView::SetItemIndex(int index) {
    ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (index >= 0) ListView_SetItemState(Handle(), index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void ListView::SetItemCount(int count) {
    if (!ownerData_) return;
    // The view keeps the selection of the entries it had otherwise.
    ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemCountEx(Handle(), std::max(count, 0), 0);
    // A view scrolled down before keeps its place otherwise (comctl32 keeps the origin).
    if (count > 0) ListView_EnsureVisible(Handle(), 0, FALSE);
}

int ListView::FindItem(const NMLVFINDITEMW& find) const {
    if (!OnItemText || !(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
    const std::wstring_view wanted(find.lvfi.psz);
    const bool partial = (find.lvfi.flags & LVFI_PARTIAL) != 0;
    const int n = Count();
    if (n <= 0) return -1;
    const int start = std::clamp(find.iStart, 0, n - 1);
    // From the start to the end, then (LVFI_WRAP) from the top; captions compared without case.
    const int last = (find.lvfi.flags & LVFI_WRAP) ? n : n - start;
    for (int k = 0; k < last; ++k) {
        const int item = (start + k) % n;
        const std::wstring text = OnItemText(item);
        if (text.size() < wanted.size() || (!partial && text.size() != wanted.size())) continue;
        if (CompareStringOrdinal(text.data(), static_cast<int>(wanted.size()), wanted.data(),
                                 static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL) {
            return item;
        }
    }
    return -1;
}

bool ListView::HandleNotify(NMHDR& header, LRESULT& result) {
    if (ownerData_ && header.code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            const std::wstring text = (OnItemText && item.iSubItem == 0) ? OnItemText(item.iItem) : std::wstring();
            const std::size_t room = static_cast<std::size_t>(item.cchTextMax) - 1;
            const std::size_t length = std::min(text.size(), room);
            text.copy(item.pszText, length);
            item.pszText[length] = 0;
        }
        if (item.mask & LVIF_IMAGE) item.iImage = OnItemImage ? OnItemImage(item.iItem) : -1;
        return true;
    }
    if (ownerData_ && header.code == LVN_ODCACHEHINT) {
        const auto& hint = reinterpret_cast<NMLVCACHEHINT&>(header);
        if (OnCacheHint && hint.iFrom >= 0 && hint.iTo >= hint.iFrom) OnCacheHint(hint.iFrom, hint.iTo);
        return true;
    }
    if (ownerData_ && header.code == LVN_ODFINDITEMW) {
        result = FindItem(reinterpret_cast<NMLVFINDITEMW&>(header));
        return true;
    }
    if (header.code == LVN_ITEMCHANGED) {
        auto& change = reinterpret_cast<NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) &&
            (change.uNewState & LVIS_SELECTED)) {
            Fire(OnSelect);
        }
        return false;
    }
    return Control::HandleNotify(header, result);
}

// ---- pictures ----------------------------------------------------------------------------------
Image::Image(Form& owner, std::wstring name, Control* parent, Bounds b)
    : Control(owner, std::move(name), Kind::Image, parent) {
    Create(FrameworkClass(L"UiImage", true), 0, 0, b, {});
}

void Image::SetIcon(qm::UniqueIcon icon) {
    picture_.reset();
    icon_ = std::move(icon);
    Invalidate();
}

void Image::SetPicture(std::unique_ptr<Bitmap> picture) {
    icon_.reset();
    picture_ = std::move(picture);
    Invalidate();
}

Canvas& Image::GetCanvas() {
    if (!picture_) {
        const SIZE size = ClientPixels();
        SetPicture(std::make_unique<Bitmap>(std::max<int>(1, size.cx), std::max<int>(1, size.cy), Owner().Dpi()));
    }
    Invalidate();
    return picture_->GetCanvas();
}

LRESULT Image::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT:
            return PaintClient(*this, [&](Canvas& canvas, RECT all) {
                canvas.FillRect(all, SystemColor(COLOR_BTNFACE));
                if (picture_) canvas.Draw(0, 0, *picture_);
                if (icon_) canvas.DrawIcon(0, 0, icon_.get());
            });
        case WM_LBUTTONDOWN:
            pressed_ = true;
            SetCapture(Handle());
            return 0;
        case WM_LBUTTONUP: {
            if (!pressed_) return 0;
            pressed_ = false;
            ReleaseCapture();
            RECT all{};
            GetClientRect(Handle(), &all);
            const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (PtInRect(&all, p)) Fire(OnClick);
            return 0;
        }
        case WM_LBUTTONDBLCLK: Fire(OnDblClick); return 0;
        default: return Control::WindowProc(msg, wp, lp);
    }
}

Shape::Shape(Form& owner, std::wstring name, Control* parent, Bounds b, Color fill, Color outline)
    : Control(owner, std::move(name), Kind::Shape, parent), fill_(fill), outline_(outline) {
    Create(FrameworkClass(L"UiShape", false), 0, 0, b, {});
}

void Shape::SetColors(Color fill, Color outline) {
    fill_ = fill;
    outline_ = outline;
    Invalidate();
}

LRESULT Shape::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT:
            return PaintClient(*this, [&](Canvas& canvas, RECT all) {
                canvas.SetBrushColor(fill_);
                canvas.SetPen(outline_);
                canvas.Rectangle(all);
            });
        default: return Control::WindowProc(msg, wp, lp);
    }
}

// ---- non-visual components ---------------------------------------------------------------------
MenuItem::MenuItem(Form& owner, std::wstring name, std::wstring caption_)
    : Component(owner, std::move(name), Kind::MenuItem), caption(std::move(caption_)) {}

Action::Action(Form& owner, std::wstring name, std::wstring caption_)
    : Component(owner, std::move(name), Kind::Action), caption(std::move(caption_)) {}

void Action::Execute() {
    if (OnExecute) Owner().Guard(OnExecute);
}

OpenDialog::OpenDialog(Form& owner, std::wstring name, std::wstring title_, std::wstring filter_)
    : Component(owner, std::move(name), Kind::OpenDialog), title(std::move(title_)), filter(std::move(filter_)) {}

bool OpenDialog::Execute() {
    OpenFileRequest request{Owner().Handle(), title, filter, initialFolder, fileName};
    std::optional<std::wstring> chosen = ShowOpenFileDialog(request);
    if (!chosen) return false;
    fileName = *chosen;
    return true;
}

Timer::Timer(Form& owner, std::wstring name, UINT intervalMs, bool enabled)
    : Component(owner, std::move(name), Kind::Timer), interval_(intervalMs) {
    SetEnabled(enabled);
}

Timer::~Timer() { SetEnabled(false); }

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled) {
        SetTimer(Owner().Handle(), static_cast<UINT_PTR>(Id()), interval_, nullptr);
    } else {
        KillTimer(Owner().Handle(), static_cast<UINT_PTR>(Id()));
    }
}

void Timer::SetInterval(UINT ms) {
    interval_ = ms;
    if (enabled_) SetTimer(Owner().Handle(), static_cast<UINT_PTR>(Id()), interval_, nullptr);
}

void Timer::Fire() {
    if (enabled_ && OnTimer) Owner().Guard(OnTimer);
}

namespace {
ImageListDestroyObserver& DestroyObserver() {
    static ImageListDestroyObserver observer;
    return observer;
}
}  // namespace

void DestroyImageList(HIMAGELIST list) noexcept {
    const bool destroyed = qm::UniqueImageList(list).close() != FALSE;
    try {
        if (DestroyObserver()) DestroyObserver()(list, destroyed);
    } catch (...) {}
}

void SetImageListDestroyObserver(ImageListDestroyObserver observer) { DestroyObserver() = std::move(observer); }

ImageList::ImageList(Form& owner, std::wstring name, int width, int height)
    : Component(owner, std::move(name), Kind::ImageList),
      designWidth_(width),
      designHeight_(height),
      width_(owner.Scale(width)),
      height_(owner.Scale(height)),
      list_(ImageList_Create(width_, height_, ILC_COLOR32 | ILC_MASK, 8, 8)) {}

void ImageList::DpiChanged() {
    const int width = Owner().Scale(designWidth_), height = Owner().Scale(designHeight_);
    if (width == width_ && height == height_) return;
    const int count = Count();
    width_ = width;
    height_ = height;
    ImageList_SetIconSize(list_.get(), width_, height_);  // empties the list
    SetCount(count);
}

int ImageList::Add(HICON icon) { return ImageList_AddIcon(list_.get(), icon); }
int ImageList::AddBitmap(HBITMAP bitmap, HBITMAP mask) { return ImageList_Add(list_.get(), bitmap, mask); }
int ImageList::AddMasked(HBITMAP bitmap, COLORREF transparent) {
    return ImageList_AddMasked(list_.get(), bitmap, transparent);
}
bool ImageList::ReplaceBitmap(int index, HBITMAP bitmap, HBITMAP mask) {
    return ImageList_Replace(list_.get(), index, bitmap, mask) != FALSE;
}
void ImageList::Draw(int index, Canvas& canvas, int x, int y) const {
    ImageList_Draw(list_.get(), index, canvas.Handle(), x, y, ILD_TRANSPARENT);
}
int ImageList::Count() const { return ImageList_GetImageCount(list_.get()); }
void ImageList::Clear() { ImageList_RemoveAll(list_.get()); }
void ImageList::SetCount(int count) { ImageList_SetImageCount(list_.get(), static_cast<UINT>(std::max(count, 0))); }

}  // namespace ui
