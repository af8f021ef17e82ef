#pragma once
// The controls and non-visual components of the window framework.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/form_win.h"

namespace ui {

// ---- buttons ---------------------------------------------------------------------------------
// Push-style buttons report BN_CLICKED as OnClick. Button, SpeedButton and ToolButton are
// distinct kinds (none derives from another).
class PushButtonBase : public Control {
public:
    void HandleCommand(WORD code) override;

protected:
    PushButtonBase(Form& owner, std::wstring name, Kind kind, Control* parent, Bounds b, std::wstring_view caption,
                   DWORD style);
};

class Button : public PushButtonBase {
public:
    Button(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption);
    // Pressing the button sets this modal result on its form (mrNone: nothing).
    int modalResult = mrNone;
    void HandleCommand(WORD code) override;
};

// A flat button that does not take the focus.
class SpeedButton : public PushButtonBase {
public:
    SpeedButton(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption);
};

// A flat toolbar button.
class ToolButton : public PushButtonBase {
public:
    ToolButton(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption);
};

class CheckableBase : public Control {
public:
    bool Checked() const;
    void SetChecked(bool checked);
    void HandleCommand(WORD code) override;

protected:
    CheckableBase(Form& owner, std::wstring name, Kind kind, Control* parent, Bounds b, std::wstring_view caption,
                  DWORD style);
};

class CheckBox : public CheckableBase {
public:
    CheckBox(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption);
};

// Radio buttons with the same parent form one group.
class RadioButton : public CheckableBase {
public:
    RadioButton(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption);
};

// ---- containers --------------------------------------------------------------------------------
class GroupBox : public Control {
public:
    GroupBox(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption);
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// A plain container; draws its caption centred when it has one.
class Panel : public Control {
public:
    Panel(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption = {});
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    Color color = SystemColor(COLOR_BTNFACE);
};

// ---- texts -------------------------------------------------------------------------------------
enum class Alignment { Left, Center, Right };

class Label : public Control {
public:
    Label(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view caption);
    // Where the caption lies in the label (left by default).
    void SetAlignment(Alignment alignment);
    void HandleCommand(WORD code) override;
    // A hand cursor over this label only (links); the class cursor of STATIC stays the arrow.
    void SetHandCursor();
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool handCursor_ = false;
};

class Edit : public Control {
public:
    Edit(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view text = {}, bool readOnly = false);
    bool HoldsUserText() const override { return true; }
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const;
    void HandleCommand(WORD code) override;
    std::function<void()> OnChange;

protected:
    Edit(Form& owner, std::wstring name, Kind kind, Control* parent, Bounds b, std::wstring_view text, DWORD style);
};

class Memo : public Edit {
public:
    Memo(Form& owner, std::wstring name, Control* parent, Bounds b, std::wstring_view text = {});
};

// ---- lists -------------------------------------------------------------------------------------
enum class ListStyle { Standard, OwnerDrawFixed, OwnerDrawVariable };

// Owner drawing: index, item rectangle, ODS_* state, a canvas over the item's device context.
using DrawItemHandler = std::function<void(int index, const RECT& rect, UINT state, Canvas& canvas)>;
// The measure handler gets the item height at the form's DPI and may change it (in pixels).
using MeasureItemHandler = std::function<void(int index, int& height)>;

// The messages by which a list box or a combo box keeps its strings.
struct StringListMessages {
    UINT add, insert, reset, count, textLength, text, getSelection, setSelection;
};

// The strings of a list box or of a combo box's list, read and written the same way.
class StringList : public Control {
public:
    int Add(std::wstring_view text);
    // Puts the text at `index` (-1: at the end, unsorted); returns where it went.
    int Insert(int index, std::wstring_view text);
    void Clear();
    int Count() const;
    std::wstring Item(int index) const;  // in full
    std::vector<std::wstring> Items() const;
    int ItemIndex() const;         // -1: none selected
    void SetItemIndex(int index);  // does not fire the change events (as the platform)

protected:
    StringList(Form& owner, std::wstring name, Kind kind, Control* parent, const StringListMessages& messages);

private:
    const StringListMessages& messages_;
};

class ListBox : public StringList {
public:
    ListBox(Form& owner, std::wstring name, Control* parent, Bounds b, ListStyle style = ListStyle::Standard,
            int itemHeight = 16);
    RECT ItemRect(int index) const;

    std::function<void()> OnSelect;  // selection changed by the user (alongside OnClick)
    DrawItemHandler OnDrawItem;
    MeasureItemHandler OnMeasureItem;

    void HandleCommand(WORD code) override;
    void HandleDrawItem(DRAWITEMSTRUCT& d) override;
    void HandleMeasureItem(MEASUREITEMSTRUCT& m) override;
    void DpiChanged(int oldDpi) override;

protected:
    ListBox(Form& owner, std::wstring name, Kind kind, Control* parent, Bounds b, DWORD style, int itemHeight);

private:
    // The item's height in pixels: the 96-DPI item height scaled, or what OnMeasureItem says.
    int MeasuredHeight(int index);
    int itemHeight_;
};

// A (normally hidden) list of the files of a folder matching a mask: ordinary files only (no
// folders, hidden or system files), sorted by name.
class FileListBox : public ListBox {
public:
    FileListBox(Form& owner, std::wstring name, Control* parent, std::wstring mask);
    std::wstring mask;
    // Lists `folder` anew. Returns false (and leaves the list empty) when the folder does not exist.
    bool ListFolder(const std::wstring& folder);
    const std::wstring& Folder() const { return folder_; }

private:
    std::wstring folder_;
};

enum class ComboStyle { DropDown, DropDownList, OwnerDrawFixed };

class ComboBox : public StringList {
public:
    ComboBox(Form& owner, std::wstring name, Control* parent, Bounds b, ComboStyle style = ComboStyle::DropDownList,
             int itemHeight = 16);
    bool HoldsUserText() const override { return true; }
    // The height of the list's items and of the selection field, at 96 DPI
    // (a new font resets the field's height: set it after the font).
    void SetItemHeight(int height);
    // The edit text, or for a drop-down list the selected item's text.
    std::wstring Text() const override;

    std::function<void()> OnChange;
    DrawItemHandler OnDrawItem;

    void HandleCommand(WORD code) override;
    void HandleDrawItem(DRAWITEMSTRUCT& d) override;
    void HandleMeasureItem(MEASUREITEMSTRUCT& m) override;
    Bounds LayoutBounds() const override;
    void DpiChanged(int oldDpi) override;

private:
    int itemHeight_;
};

class ImageList;

enum class ListViewStyle { Report, Icon, SmallIcon, List };

// Where a list view's entries live: in the control (AddItem), or with the owner (LVS_OWNERDATA):
// the view holds only a count and asks OnItemText / OnItemImage for what it shows.
enum class ListViewData { Items, Owner };

class ListView : public Control {
public:
    ListView(Form& owner, std::wstring name, Control* parent, Bounds b, ListViewStyle style = ListViewStyle::Report,
             ListViewData data = ListViewData::Items);
    void AddColumn(std::wstring_view caption, int width);
    int ColumnCount() const;
    std::wstring ColumnCaption(int index) const;
    void SetColumnCaption(int index, std::wstring_view caption);

    void SetImageList(ImageList* images, int which = LVSIL_NORMAL);
    int AddItem(std::wstring_view text, int image = -1);
    void SetSubItem(int item, int column, std::wstring_view text);
    std::wstring ItemText(int item, int column = 0) const;
    void Clear();
    int Count() const;
    int ItemIndex() const;
    void SetItemIndex(int index);

    std::function<void()> OnSelect;  // the selected item changed

    // Owner data only. Sets the number of entries; selection and scrolling start over.
    void SetItemCount(int count);
    // The caption of entry `item` (also what ItemText and type-ahead search read).
    std::function<std::wstring(int item)> OnItemText;
    // The image index of entry `item` in the view's image lists, or -1 for none. Asked for just
    // before the entry is drawn.
    std::function<int(int item)> OnItemImage;
    // The view is about to show entries `from` to `to` (inclusive): a chance to prepare them at once.
    std::function<void(int from, int to)> OnCacheHint;

    bool HandleNotify(NMHDR& header, LRESULT& result) override;
    void DpiChanged(int oldDpi) override;

private:
    int FindItem(const NMLVFINDITEMW& find) const;
    bool ownerData_;
};

// ---- pictures ----------------------------------------------------------------------------------
// Shows a picture: a bitmap or an icon (one at a time). Reports clicks and double clicks.
class Image : public Control {
public:
    Image(Form& owner, std::wstring name, Control* parent, Bounds b);
    // Replaces the picture by an icon (owned by the image), drawn at (0, 0) at its own size.
    void SetIcon(qm::UniqueIcon icon);
    HICON Icon() const { return icon_.get(); }
    // Replaces the picture by a bitmap.
    void SetPicture(std::unique_ptr<Bitmap> picture);
    Bitmap* Picture() const { return picture_.get(); }
    // The picture's canvas; makes a white bitmap of the control's size when there is none.
    Canvas& GetCanvas();
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    qm::UniqueIcon icon_;
    std::unique_ptr<Bitmap> picture_;
    bool pressed_ = false;
};

// A filled rectangle with an outline.
class Shape : public Control {
public:
    Shape(Form& owner, std::wstring name, Control* parent, Bounds b, Color fill, Color outline);
    void SetColors(Color fill, Color outline);
    Color Fill() const { return fill_; }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    Color fill_, outline_;
};

// ---- non-visual components ---------------------------------------------------------------------
class MenuItem : public Component {
public:
    MenuItem(Form& owner, std::wstring name, std::wstring caption);
    std::wstring caption;
    std::wstring hint;
    bool checked = false;
    std::function<void()> OnClick;
};

class Action : public Component {
public:
    Action(Form& owner, std::wstring name, std::wstring caption);
    std::wstring caption;
    std::wstring hint;
    std::function<void()> OnExecute;
    // Runs OnExecute inside the form's error guard.
    void Execute();
};

class OpenDialog : public Component {
public:
    OpenDialog(Form& owner, std::wstring name, std::wstring title = {}, std::wstring filter = {});
    std::wstring title;
    // "Description|patterns|Description|patterns", as one text.
    std::wstring filter;
    std::wstring initialFolder;
    std::wstring fileName;  // the chosen file after Execute
    // Shows the open-file dialog (or the test seam); true when a file was chosen.
    bool Execute();
};

class Timer : public Component {
public:
    Timer(Form& owner, std::wstring name, UINT intervalMs = 1000, bool enabled = false);
    ~Timer() override;
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    void SetInterval(UINT ms);
    std::function<void()> OnTimer;
    void Fire();

private:
    UINT interval_;
    bool enabled_ = false;
};

// Image lists belong to the form's ImageList components, which destroy them; list views only
// share them (every ListView is created with LVS_SHAREIMAGELISTS).
void DestroyImageList(HIMAGELIST list) noexcept;
// Test seam: told of every image list DestroyImageList destroys, with the platform's answer
// (false: the handle was no longer a valid list). Empty: nobody is told.
using ImageListDestroyObserver = std::function<void(HIMAGELIST list, bool destroyed)>;
void SetImageListDestroyObserver(ImageListDestroyObserver observer);
// The form's owner of an image list: released through DestroyImageList, so the observer hears of it.
using UniqueImageList = qm::UniqueHandle<HIMAGELIST, &DestroyImageList>;

// The size is given at 96 DPI; the list holds images of that size at the form's DPI (Width(),
// Height() in pixels). When the DPI changes the list keeps its count of images, all blank: the
// form renders them again (Form::FormDpiChanged).
class ImageList : public Component {
public:
    ImageList(Form& owner, std::wstring name, int width = 32, int height = 32);
    HIMAGELIST Handle() const { return list_.get(); }
    int Add(HICON icon);  // copies the icon; returns its index
    // Adds the images lying side by side in a bitmap (32-bit with alpha, or with a mask); returns
    // the index of the first.
    int AddBitmap(HBITMAP bitmap, HBITMAP mask = nullptr);
    // The same, with `transparent` as the transparent colour.
    int AddMasked(HBITMAP bitmap, COLORREF transparent);
    bool ReplaceBitmap(int index, HBITMAP bitmap, HBITMAP mask = nullptr);
    // Draws image `index` transparently at (x, y) of the canvas.
    void Draw(int index, Canvas& canvas, int x, int y) const;
    int Count() const;
    void Clear();
    // Makes the list hold `count` images: blank ones added at the end, or the last ones removed.
    void SetCount(int count);
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Takes the size of the form's new DPI.
    void DpiChanged();

private:
    int designWidth_, designHeight_;
    int width_, height_;
    UniqueImageList list_;
};

}  // namespace ui
