#pragma once
// The core of the window framework: components, visual controls, forms and the application.
//
// A Form owns its components in one list, in creation order; each has a name and a kind. Visual
// controls are native child windows; a control's parent is the form or a container control (panel,
// group box). Event handlers are std::function members that forms bind to their own member
// functions. Every event handler runs inside the form's error guard: an exception that leaves it is
// shown in a message box with its text and ends that handler only.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/handles_win.h"
#include "ui/canvas_win.h"

namespace ui {

enum class Kind {
    Button,
    RadioButton,
    CheckBox,
    MenuItem,
    GroupBox,
    Label,
    OpenDialog,
    ToolButton,
    ListView,
    SpeedButton,
    Control,
    Action,
    Edit,
    Memo,
    ComboBox,
    ListBox,
    Image,
    Shape,
    Panel,
    Timer,
    ImageList,
    FileListBox
};
const wchar_t* KindName(Kind kind);

// The text of any window (a control's caption or content, a form's caption), in full.
std::wstring WindowText(HWND hwnd);

class Form;
class Button;

class Component {
public:
    Component(Form& owner, std::wstring name, Kind kind);
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const std::wstring& Name() const { return name_; }
    Kind GetKind() const { return kind_; }
    Form& Owner() const { return owner_; }
    // The number that identifies the component in its form's messages (control id, timer id).
    int Id() const { return id_; }

private:
    Form& owner_;
    std::wstring name_;
    Kind kind_;
    int id_;
};

// A control's place in its parent, in pixels at 96 DPI (the form converts it to its DPI).
struct Bounds {
    int x = 0, y = 0, width = 0, height = 0;
};

// A native child window. Derived classes create their window with Create() at the end of their
// constructor (so that messages sent during creation reach the finished object).
class Control : public Component {
public:
    // `parent` is a container control or nullptr for the form itself.
    Control(Form& owner, std::wstring name, Kind kind, Control* parent);
    // The generic control: any window class, e.g. L"STATIC".
    Control(Form& owner, std::wstring name, Control* parent, const wchar_t* windowClass, Bounds bounds,
            std::wstring_view text = {}, DWORD style = 0);
    ~Control() override;

    HWND Handle() const { return window_.get(); }
    Control* Parent() const { return parent_; }
    // The parent's window: the container's or the form's.
    HWND ParentHandle() const;

    // The window text: the caption of captioned controls, the content of text controls.
    virtual std::wstring Text() const;
    virtual void SetText(std::wstring_view text);
    // Text-entry controls (edit, memo, combo box) hold user data, and so does a control whose window
    // marks it (a hidden label that keeps a path or a number); window translation leaves their text.
    virtual bool HoldsUserText() const { return holdsUserText_; }
    void SetHoldsUserText(bool holds) { holdsUserText_ = holds; }

    const std::wstring& Hint() const { return hint_; }
    void SetHint(std::wstring_view hint);  // shown as a tooltip

    // In 96-DPI figures: the form scales them to its DPI (and GetBounds back).
    Bounds GetBounds() const;
    void SetBounds(Bounds b);
    // The bounds a layout keeps for the control (a combo box's include its drop-down list).
    virtual Bounds LayoutBounds() const;
    // The client area in device pixels: the size a picture drawn into the control has.
    SIZE ClientPixels() const;
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    void BringToFront();
    // Puts the control beneath its siblings (a background picture under the others).
    void SendToBack();
    void Invalidate();
    // Invalidates the control and paints it at once.
    void Repaint();
    void SetFocus();
    // True when the control or one of its children has the keyboard focus.
    bool ContainsFocus() const;
    // Adds and removes window style bits (GWL_STYLE) or extended ones (GWL_EXSTYLE), and lets the
    // frame follow them.
    void ModifyStyle(DWORD add, DWORD remove);
    void ModifyExStyle(DWORD add, DWORD remove);

    // Own font (given at 96 DPI, made for the form's DPI); a control without one follows its form's font.
    void SetFont(const LOGFONTW& font);
    bool ParentFont() const { return !font_; }
    // The font the control draws its text with (its own or its form's), at the form's DPI.
    HFONT Font() const;
    // The size of `text` in pixels in the control's font.
    SIZE TextExtent(std::wstring_view text) const;
    void SetTextColor(Color c);
    void SetBackgroundColor(Color c);

    // Fired on a click for every control that reports clicks.
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;

    // Notifications from the parent window (called inside the form's error guard).
    virtual void HandleCommand(WORD code);
    virtual bool HandleNotify(NMHDR& header, LRESULT& result);
    virtual void HandleDrawItem(DRAWITEMSTRUCT&) {}
    virtual void HandleMeasureItem(MEASUREITEMSTRUCT&) {}
    virtual HBRUSH HandleControlColor(HDC dc);
    // Messages of the framework's own window classes (panel, image, shape).
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // The form's DPI has changed from `oldDpi` (the control is already at its new place and font):
    // a chance to scale what the platform keeps in pixels (item heights, column widths).
    virtual void DpiChanged(int oldDpi) { (void)oldDpi; }

    static Control* FromHandle(HWND hwnd);

protected:
    void Create(const wchar_t* windowClass, DWORD style, DWORD exStyle, Bounds bounds, std::wstring_view text);
    // Runs `fn` inside the owner form's error guard.
    void Fire(const std::function<void()>& fn);
    // For subclassed standard controls: the original window procedure.
    LRESULT CallOriginal(UINT msg, WPARAM wp, LPARAM lp);
    void Subclass();

private:
    friend class Form;
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void ApplyFont(HFONT font);
    void MakeFont();

    Control* parent_;
    qm::UniqueWindow window_;
    std::wstring hint_;
    LOGFONTW fontDesign_{};  // the own font at 96 DPI, when font_ is set
    qm::UniqueFont font_;
    bool hasTextColor_ = false, hasBackground_ = false;
    COLORREF textColor_ = 0;
    qm::UniqueBrush background_;
    bool subclassed_ = false;
    bool holdsUserText_ = false;
};

// Turns a control's painting off for the life of the object, then on again with a repaint (while a
// list is filled).
class RedrawPause {
public:
    explicit RedrawPause(Control& control);
    ~RedrawPause();
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    HWND window_;
};

// Which edges of its parent's client area a control keeps its distance to when the form is
// resized; anchored on both sides of an axis it stretches.
enum Anchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

// Centres `window` over `owner` (over the work area of the primary monitor when there is no owner
// or it is minimised), kept inside the work area of the owner's monitor.
void CentreOnOwner(HWND window, HWND owner);

enum class BorderStyle { Sizeable, FixedSingle, Dialog };

enum ModalResult { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };

class Form {
public:
    // `owner` nullptr: the form belongs to the application (see Application::Forms).
    explicit Form(Form* owner = nullptr);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Handle() const { return window_.get(); }
    Form* OwnerForm() const { return owner_; }

    std::wstring Caption() const;
    void SetCaption(std::wstring_view caption);
    // Client size in 96-DPI figures, like every layout figure (scaled to the form's DPI).
    void SetClientSize(int width, int height);
    SIZE ClientSize() const;

    // The DPI the window is drawn at (96: no scaling). Layout figures are given at 96 DPI and
    // converted here, once: controls when created or moved, fonts when made, and everything again
    // when the window's DPI changes (WM_DPICHANGED).
    int Dpi() const { return dpi_; }
    // A 96-DPI figure in pixels at the form's DPI.
    int Scale(int value) const;
    // A system metric at the form's DPI (SM_CXICON, SM_CXSMICON, ...).
    int Metric(int index) const;
    void SetBorderStyle(BorderStyle style, bool minimizeBox = true, bool maximizeBox = false);
    // Centred each time it is shown: over its owner on the owner's monitor (CentreOnOwner).
    void SetCenterOnScreen(bool centre) { centre_ = centre; }
    // The smallest client size the user can size the form to, at 96 DPI (0: no limit).
    void SetMinClientSize(int width, int height) { minClient_ = {width, height}; }

    // Anchors: the control keeps its distances to the anchored edges of its parent as the form is
    // resized. Recorded against the control's bounds and the form's client size at this call.
    void SetAnchors(Control& control, unsigned anchors);
    // Moves an anchored control and makes the new bounds its design place.
    void PlaceAnchored(Control& control, Bounds bounds);

    // Escape presses this button (its click handler and modal result); a form without one stays
    // open on Escape.
    void SetCancelButton(Button* button) { cancel_ = button; }
    Button* CancelButton() const { return cancel_; }
    // Given at 96 DPI; also for every control that follows the form's font.
    void SetFont(const LOGFONTW& font);
    HFONT FontHandle() const { return font_.get(); }

    // Components in creation order.
    const std::vector<std::unique_ptr<Component>>& Components() const { return components_; }
    Component* FindComponent(std::wstring_view name) const;
    Component* FindComponentById(int id) const;

    // Creates a component owned by this form: Add<Button>(L"b_Apply", parent, bounds, L"Apply").
    template <class T, class... Args>
    T* Add(Args&&... args) {
        auto c = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T* raw = c.get();
        components_.push_back(std::move(c));
        return raw;
    }

    // Calls FormShow, then shows the window (not modal).
    void Show();
    void Hide();
    // Shows the form modally: the other windows of the thread are disabled until it closes.
    // Returns the modal result (mrCancel when closed by the title bar or Close()).
    int ShowModal();
    bool IsModal() const { return modal_; }
    void SetModalResult(int result);
    int GetModalResult() const { return modalResult_; }
    // Modal: ends ShowModal with mrCancel (unless a result is set). The application's main form:
    // ends the application. Otherwise hides the form.
    void Close();

    // Runs `fn` (in the form's guard) once the messages already waiting have been handled.
    void Later(std::function<void()> fn);
    // Gives the focus to the first control that takes Tab (the form itself when there is none).
    void FocusFirstControl();

    // Runs `fn`; an exception that leaves it is shown in the error box and goes no further.
    void Guard(const std::function<void()>& fn) noexcept;

    // Shows a popup menu of the given items at a screen position and fires the chosen one.
    void PopupMenu(const std::vector<class MenuItem*>& items, POINT screen);

    // Called just before the form becomes visible (every Show/ShowModal).
    virtual void FormShow() {}
    // Called when the user or Close() asks the form to close; false keeps it open.
    virtual bool FormCloseQuery() { return true; }
    // Called after the form was resized and its anchored controls moved.
    virtual void FormResize() {}
    // Called after the window moved to another DPI and its controls and fonts were scaled: the
    // form renders its pictures again at the sizes of the new DPI.
    virtual void FormDpiChanged() {}

    static Form* FromHandle(HWND hwnd);

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);

private:
    friend class Component;
    friend class Control;
    static LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
    int Register(Component* c);
    void Unregister(Component* c);
    HWND TooltipWindow();
    // Takes `dpi`: every control to its 96-DPI place and font at the new DPI, the window to
    // `suggested` (the platform's rectangle for it) when given.
    void ChangeDpi(int dpi, const RECT* suggested);
    // The window rectangle around the design client area at `dpi` (origin at the client's corner).
    RECT WindowRectAt(int dpi) const;
    void ApplyAnchors();

    struct Anchored {
        Control* control;
        unsigned anchors;
        Bounds design;
        SIZE client;
    };

    Form* owner_;
    qm::UniqueWindow window_;
    std::vector<std::unique_ptr<Component>> components_;
    std::map<int, Component*> byId_;
    int nextId_ = 100;
    int dpi_ = 96;
    LOGFONTW fontDesign_{};
    qm::UniqueFont font_;
    qm::UniqueWindow tooltip_;
    bool centre_ = false;
    SIZE minClient_{0, 0};
    std::vector<Anchored> anchored_;
    Button* cancel_ = nullptr;
    std::vector<std::function<void()>> later_;
    BorderStyle border_ = BorderStyle::Sizeable;
    SIZE designClient_{400, 300};  // the client size last set, at 96 DPI
    bool modal_ = false;
    int modalResult_ = mrNone;
};

// Dispatches the notifications that reach a container window (form, panel, group box) to the
// child control they concern. Returns true when handled.
bool RouteToChild(Form& form, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

class Application {
public:
    const std::wstring& Title() const { return title_; }
    void SetTitle(std::wstring title) { title_ = std::move(title); }
    // The forms owned by the application, in creation order.
    const std::vector<Form*>& Forms() const { return forms_; }
    Form* MainForm() const { return main_; }
    // Shows `main` and runs the message loop until it closes. Returns the exit code.
    int Run(Form& main);
    // Dispatches the messages waiting in the queue and returns.
    void ProcessMessages();
    // The default error box: MessageBoxExW owned by the main form, MB_OK, language 0.
    void ShowError(std::wstring_view text);

private:
    friend class Form;
    std::wstring title_;
    std::vector<Form*> forms_;
    Form* main_ = nullptr;
};
Application& App();

// Translates and dispatches one message, with dialog keys (Tab, arrows) for the framework's forms.
void DispatchOneMessage(MSG& msg);

}  // namespace ui
