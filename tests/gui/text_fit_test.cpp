// Every window in English and in every shipped language (data/langs/*.ini), at the DPI of the
// prefix (96, and 144 and 192 in the high-DPI prefixes): each control that shows text has room for
// it. The text is measured with the control's own font the way the control draws it, and must fit
// its client rectangle less the margins the control draws itself (a push button's frame and focus
// rectangle, a check box's box, a group box's frame, a list header's padding): on one line, unless
// the control wraps and is tall enough for the lines it needs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/about_window_win.h"
#include "app/custom_icon_window_win.h"
#include "app/icon_picker_window_win.h"
#include "app/main_window/main_window_win.h"
#include "app/menu_theme_window_win.h"
#include "core/base/module_path_win.h"
#include "core/base/text.h"
#include "core/shell/shell_status_win.h"
#include "core/settings/language_lookup.h"
#include "core/settings/language_support.h"
#include "core/settings/language_template.h"
#include "core/settings/text_rooms.h"
#include "tests/gui/picker_test_support.h"
#include "tests/support/files_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/settings_backup_win.h"
#include "ui/dpi_win.h"

namespace {

// One text a control shows, the room it has and the room it needs.
struct Measured {
    std::wstring control;  // component name, with the column for a list caption
    std::wstring text;
    SIZE needed{};
    SIZE room{};  // the drawing area less the control's own margins
    int lineHeight = 0;
    int dotsWidth = 0;  // " ...", which the lookup puts back after a key stored without its dots
    bool wraps = false;
    bool Fits() const { return needed.cx <= room.cx && needed.cy <= room.cy; }
};

int SystemMetric(int index) { return GetSystemMetrics(index); }

struct FontMetrics {
    int lineHeight = 0;
    int averageWidth = 0;
};

// Measures `text` in the control's font: DT_CALCRECT with the control's own flags, `width` being
// the room a wrapping text breaks at.
SIZE MeasureText(HWND control, HFONT font, const std::wstring& text, UINT flags, int width, FontMetrics* metrics) {
    qm::WindowDc dc(control);
    HGDIOBJ old = SelectObject(dc.get(), font ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.get(), &tm);
    if (metrics) *metrics = {tm.tmHeight, tm.tmAveCharWidth};
    RECT r{0, 0, std::max(width, 1), 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, flags | DT_CALCRECT);
    SelectObject(dc.get(), old);
    return {r.right - r.left, r.bottom - r.top};
}

HFONT FontOf(HWND hwnd) { return reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)); }

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

bool Blank(const std::wstring& text) { return qm::TrimLowCodes(text).empty(); }

// The texts of one control as the control draws them; nothing for controls that show user data
// or no text of their own.
std::vector<Measured> MeasureControl(ui::Control& c) {
    std::vector<Measured> out;
    const HWND hwnd = c.Handle();
    if (!hwnd || c.HoldsUserText()) return out;
    const std::wstring cls = ClassOf(hwnd);
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    RECT client{};
    GetClientRect(hwnd, &client);
    const int w = client.right, h = client.bottom;
    const HFONT font = FontOf(hwnd);
    const std::wstring text = ui::WindowText(hwnd);
    FontMetrics fm;
    auto add = [&](std::wstring name, const std::wstring& shown, UINT flags, int roomW, int roomH, bool wraps) {
        Measured m{std::move(name), shown};
        m.needed = MeasureText(hwnd, font, shown, flags, roomW, &fm);
        m.room = {roomW, roomH};
        m.lineHeight = fm.lineHeight;
        m.dotsWidth = MeasureText(hwnd, font, L" ...", DT_SINGLELINE, 1, nullptr).cx;
        m.wraps = wraps;
        out.push_back(m);
    };
    const UINT prefix = DT_EXPANDTABS;
    if (_wcsicmp(cls.c_str(), L"Button") == 0) {
        if (Blank(text)) return out;
        const bool multiline = style & BS_MULTILINE;
        const UINT lines = multiline ? DT_WORDBREAK : DT_SINGLELINE;
        switch (style & BS_TYPEMASK) {
            case BS_PUSHBUTTON:
            case BS_DEFPUSHBUTTON: {
                // The 3-D frame (an edge on each side), and inside it the focus rectangle with a
                // pixel between it and the text.
                const int mx = SystemMetric(SM_CXEDGE) + SystemMetric(SM_CXFOCUSBORDER) + 1;
                const int my = SystemMetric(SM_CYEDGE);
                add(c.Name(), text, lines | DT_CENTER, w - 2 * mx, h - 2 * my, multiline);
                break;
            }
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_3STATE:
            case BS_AUTO3STATE:
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON: {
                // The box, then half an average character of gap before the text.
                MeasureText(hwnd, font, L"0", 0, 1, &fm);
                const int box = SystemMetric(SM_CXMENUCHECK) + fm.averageWidth / 2;
                add(c.Name(), text, lines, w - box, h, multiline);
                break;
            }
            case BS_GROUPBOX: {
                // The caption sits on the frame's top line, an edge and a character in from each side.
                MeasureText(hwnd, font, L"0", 0, 1, &fm);
                const int mx = SystemMetric(SM_CXEDGE) + fm.averageWidth;
                add(c.Name(), text, DT_SINGLELINE, w - 2 * mx, fm.lineHeight, false);
                break;
            }
            default: break;
        }
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
        if (Blank(text)) return out;
        const LONG type = style & SS_TYPEMASK;
        const UINT noPrefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
            add(c.Name(), text, prefix | noPrefix | DT_WORDBREAK, w, h, true);
        } else if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) {
            add(c.Name(), text, prefix | noPrefix, w, h, false);
        }
    } else if (c.GetKind() == ui::Kind::Panel) {
        if (Blank(text)) return out;
        add(c.Name(), text, DT_SINGLELINE, w, h, false);  // centred on one line
    } else if (auto* view = dynamic_cast<ui::ListView*>(&c)) {
        if ((style & LVS_TYPEMASK) != LVS_REPORT || (style & LVS_NOCOLUMNHEADER)) return out;
        const HWND header = ListView_GetHeader(hwnd);
        // The header pads a caption with three edges on each side.
        const int mx = 3 * SystemMetric(SM_CXEDGE);
        RECT hr{};
        GetClientRect(header, &hr);
        for (int i = 0; i < view->ColumnCount(); ++i) {
            const std::wstring caption = view->ColumnCaption(i);
            if (Blank(caption)) continue;
            const int cw = ListView_GetColumnWidth(hwnd, i);
            Measured m{c.Name() + L" column " + std::to_wstring(i), caption};
            m.needed = MeasureText(header, FontOf(header), caption, DT_SINGLELINE, cw, &fm);
            m.room = {cw - 2 * mx, hr.bottom};
            m.lineHeight = fm.lineHeight;
            m.dotsWidth = MeasureText(header, FontOf(header), L" ...", DT_SINGLELINE, 1, nullptr).cx;
            out.push_back(m);
        }
    }
    return out;
}

bool Within(const ui::Control& c, const ui::Control* ancestor) {
    for (const ui::Control* p = &c; p; p = p->Parent())
        if (p == ancestor) return true;
    return false;
}

// Every text of the form's controls that `take` accepts.
std::vector<Measured> MeasureForm(ui::Form& form, const std::wstring& shot,
                                  const std::function<bool(const ui::Control&)>& take) {
    qmtest::PumpMessages();
    qmtest::SaveScreenshot(form.Handle(), shot);
    std::vector<Measured> all;
    for (const auto& component : form.Components()) {
        auto* c = dynamic_cast<ui::Control*>(component.get());
        if (!c || !take(*c)) continue;
        for (auto& m : MeasureControl(*c)) all.push_back(std::move(m));
    }
    return all;
}

// ---- the windows -------------------------------------------------------------------------------

// Opens a window, shows the part under test in front and measures it.
using WindowMeasure = std::function<std::vector<Measured>(const std::wstring& shot)>;

// The toolbar captions, drawn into the button images in a bitmap's own font: centred between the
// selection lines at x = 1 and x = width - 1, one line from y = 42 or two from y = 35 (figures at
// 96 DPI, scaled to the window's DPI as the buttons are drawn).
std::vector<Measured> ToolbarCaptions(int dpi) {
    std::vector<Measured> out;
    auto s = [dpi](int value) { return ui::ScaleToDpi(value, dpi); };
    ui::Bitmap probe(10, 10, dpi);
    ui::Canvas& canvas = probe.GetCanvas();
    const int lineHeight = canvas.TextHeight(L"Wg");
    for (std::size_t n = 0; n < qm::kToolbarCaptions.size(); ++n) {
        const std::wstring shown = qm::TranslateText(qm::kToolbarCaptions[n]);
        const qm::ToolbarCaption caption = qm::SplitToolbarCaption(shown);
        Measured m{L"t_" + std::to_wstring(n + 1), shown};
        m.needed.cx = std::max(canvas.TextWidth(caption.line1), caption.twoLines ? canvas.TextWidth(caption.line2) : 0);
        m.needed.cy = caption.twoLines ? s(36) - s(35) + 2 * lineHeight : lineHeight;
        m.room = {s(qm::kToolbarButtonWidth) - 2 * s(1) - 1,
                  s(qm::kToolbarButtonHeight) - s(caption.twoLines ? 35 : 42)};
        m.lineHeight = lineHeight;
        m.dotsWidth = canvas.TextWidth(L" ...");
        out.push_back(m);
    }
    return out;
}

std::vector<Measured> MainWindowPage(int page, const std::wstring& shot) {
    qm::TForm2 form;
    form.Show();
    qmtest::Click(qmtest::Find<ui::Image>(form, L"t_" + std::to_wstring(page)));
    const std::array<ui::Panel*, 4> pages = {form.p_1, form.p_2, form.p_3, form.p_4};
    const ui::Panel* front = pages[static_cast<std::size_t>(page - 1)];
    std::vector<Measured> all = MeasureForm(form, shot, [&](const ui::Control& c) {
        if (Within(c, front)) return true;
        // Controls outside the pages (the toolbar) are measured with the first page.
        return page == 1 && std::none_of(pages.begin(), pages.end(), [&](ui::Panel* p) { return Within(c, p); });
    });
    if (page == 1) {
        for (auto& m : ToolbarCaptions(form.Dpi())) all.push_back(std::move(m));
    }
    return all;
}

// The tools page's "Windows 11 menu" line in each state Windows 11 can show (Wine's own answer,
// "not available", is the tools page's case): the status comes from the page's seam.
qm::ShellStatus g_status;
qm::ShellStatus StatusAnswer() { return g_status; }

std::vector<Measured> Windows11MenuLines(const std::wstring& shot) {
    const qm::ShellStatus states[] = {
        {true, true, true, std::nullopt, true, 22631},           // on
        {true, true, false, std::nullopt, std::nullopt, 22631},  // off: no package beside the program
        {true, true, false, true, false, 22631},                 // off: provisioned
        {true, true, false, false, false, 22631},                // off: unsigned build
        {true, true, false, std::nullopt, true, 22631},          // off: package not registered
    };
    std::vector<Measured> all;
    qm::SetShellStatusSource(&StatusAnswer);
    for (std::size_t i = 0; i < std::size(states); ++i) {
        g_status = states[i];
        qm::TForm2 form;
        form.Show();
        qmtest::Click(qmtest::Find<ui::Image>(form, L"t_4"));
        for (auto& m : MeasureForm(form, shot + L"_" + std::to_wstring(i),
                                   [&](const ui::Control& c) { return &c == form.Label22; }))
            all.push_back(std::move(m));
    }
    qm::SetShellStatusSource(nullptr);
    return all;
}

std::vector<Measured> IconPicker(const std::wstring& shot) {
    qm::TForm2 host;
    host.Show();
    qm::TForm1 picker(&host, qm::IconChoiceTarget{host.Label8, host.Label9, host.Image3});
    picker.Show();
    return MeasureForm(picker, shot, [](const ui::Control&) { return true; });
}

std::vector<Measured> CustomIconWindow(const std::wstring& shot) {
    qmtest::TempDir folder{L"text-fit"};
    qm::TfCustomIcon window(folder.path());
    window.Show();
    return MeasureForm(window, shot, [](const ui::Control&) { return true; });
}

std::vector<Measured> ThemeWindow(const std::wstring& shot) {
    qm::TfTheme window;
    window.Show();
    return MeasureForm(window, shot, [](const ui::Control&) { return true; });
}

std::vector<Measured> AboutWindow(const std::wstring& shot) {
    qm::TfAbout window;
    window.Show();
    window.Timer1->SetEnabled(false);
    return MeasureForm(window, shot, [](const ui::Control&) { return true; });
}

struct WindowCase {
    const char* name;
    const wchar_t* shot;
    WindowMeasure measure;
};

const WindowCase kWindows[] = {
    {"main window, change icon page", L"main_window_change_icon",
     [](const std::wstring& shot) { return MainWindowPage(1, shot); }},
    {"main window, options page", L"main_window_options",
     [](const std::wstring& shot) { return MainWindowPage(2, shot); }},
    {"main window, language page", L"main_window_language",
     [](const std::wstring& shot) { return MainWindowPage(3, shot); }},
    {"main window, tools page", L"main_window_tools", [](const std::wstring& shot) { return MainWindowPage(4, shot); }},
    {"main window, Windows 11 menu lines", L"main_window_windows11_menu", Windows11MenuLines},
    {"icon picker", L"icon_picker", IconPicker},
    {"custom icon window", L"custom_icon_window", CustomIconWindow},
    {"context-menu theme window", L"theme_window", ThemeWindow},
    {"about window", L"about_window", AboutWindow},
};

// English, then every shipped language file of the source tree.
std::vector<std::wstring> Languages() {
    std::vector<std::wstring> names{L"English"};
    std::vector<std::wstring> shipped;
    for (const std::wstring& f : qmtest::ListFolder(qmtest::SourceFolder() + L"\\data\\langs"))
        if (f.size() > 4 && _wcsicmp(f.c_str() + f.size() - 4, L".ini") == 0) shipped.push_back(f);
    std::sort(shipped.begin(), shipped.end());
    names.insert(names.end(), shipped.begin(), shipped.end());
    return names;
}

std::string Describe(const Measured& m) {
    std::ostringstream s;
    s << qm::WideToUtf8(m.control) << " \"" << qm::WideToUtf8(m.text) << "\": needs " << m.needed.cx << " x "
      << m.needed.cy << " px, has " << m.room.cx << " x " << m.room.cy << " px"
      << (m.wraps ? " (wraps)" : " (one line)");
    return s.str();
}

class TextFit : public testing::TestWithParam<std::wstring> {
protected:
    void SetUp() override { ui::App().SetTitle(L"Quillmark"); }
    qmtest::ProgramFolderGuard program_;
};

TEST_P(TextFit, EveryTextFitsItsControl) {
    const std::wstring language = GetParam();
    std::unique_ptr<qmtest::ScopedFileBackup> keep;
    std::unique_ptr<qmtest::ScopedLanguageFile> file;
    if (language != L"English") {
        const std::wstring text = qmtest::ReadTextFile(qmtest::SourceFolder() + L"\\data\\langs\\" + language);
        ASSERT_FALSE(text.empty()) << qm::WideToUtf8(language);
        keep = std::make_unique<qmtest::ScopedFileBackup>(qm::ModuleFolder() + L"langs\\" + language);
        file = std::make_unique<qmtest::ScopedLanguageFile>(language, text);
    }
    qmtest::ScopedCurrentLanguage current(language);
    // The build's own prefix is at 96 DPI; the high-DPI prefixes name theirs.
    const char* prefixDpi = std::getenv("QM_WINE_LOGPIXELS");
    const int dpi = prefixDpi && *prefixDpi ? std::atoi(prefixDpi) : 96;
    ASSERT_EQ(static_cast<int>(GetDpiForSystem()), dpi);
    int texts = 0;
    for (const WindowCase& w : kWindows) {
        const std::wstring stem = language.substr(0, language.find(L'.'));
        const std::wstring at = dpi == 96 ? L"" : L"_dpi" + std::to_wstring(dpi);
        const std::vector<Measured> measured = w.measure(std::wstring(L"text_fit_") + w.shot + L"_" + stem + at);
        EXPECT_FALSE(measured.empty()) << w.name;
        texts += static_cast<int>(measured.size());
        for (const Measured& m : measured) {
            EXPECT_TRUE(m.Fits()) << w.name << ", " << qm::WideToUtf8(language) << ": " << Describe(m);
        }
    }
    EXPECT_GT(texts, 40);
}

INSTANTIATE_TEST_SUITE_P(Languages, TextFit, testing::ValuesIn(Languages()),
                         [](const testing::TestParamInfo<std::wstring>& info) {
                             std::string name = qm::WideToUtf8(info.param);
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

// ---- the room table of the language template ----------------------------------------------------

// The language key of a text as a control shows it: its line breaks written as "/n" again.
qm::LanguageKey KeyOf(const std::wstring& shown) {
    std::wstring text = shown;
    for (std::size_t at; (at = text.find(L"\n\r")) != std::wstring::npos;) text.replace(at, 2, L"/n");
    return qm::NormaliseLanguageKey(text);
}

std::string TableLine(const std::wstring& key, const qm::TextRoom& room) {
    std::string quoted;
    for (char ch : qm::WideToUtf8(key)) {
        if (ch == '"' || ch == '\\') quoted += '\\';
        quoted += ch;
    }
    return "{L\"" + quoted + "\", " + std::to_string(room.width) + ", " + std::to_string(room.lines) + "},";
}

TEST(TextRooms, TableHoldsTheRoomOfEveryTextInTheEnglishWindows) {
    ui::App().SetTitle(L"Quillmark");
    {
        qm::WindowDc screen(nullptr);
        ASSERT_EQ(GetDeviceCaps(screen.get(), LOGPIXELSX), 96) << "rooms are stated at 96 DPI";
    }
    qmtest::ProgramFolderGuard program;
    qmtest::ScopedCurrentLanguage english(L"English");
    const std::vector<std::wstring> keys = qm::LanguageTemplateKeys();
    std::map<std::wstring, qm::TextRoom> measured;
    for (const WindowCase& w : kWindows) {
        for (const Measured& m : w.measure(std::wstring(L"text_rooms_") + w.shot)) {
            // A line made of two translated texts ("Windows 11 menu: off: <reason>") gives its
            // room to both.
            std::vector<std::wstring> parts{m.text};
            const auto translated = [&](const std::wstring& t) {
                return std::find(keys.begin(), keys.end(), KeyOf(t).key) != keys.end();
            };
            for (std::size_t joint = m.text.find(L": "); joint != std::wstring::npos && !translated(m.text);
                 joint = m.text.find(L": ", joint + 1)) {
                const std::wstring first = m.text.substr(0, joint), second = m.text.substr(joint + 2);
                if (translated(first) && translated(second)) parts = {first, second};
            }
            for (const std::wstring& part : parts) {
                const qm::LanguageKey key = KeyOf(part);
                if (std::find(keys.begin(), keys.end(), key.key) == keys.end()) continue;  // not translated
                const int lines = m.wraps ? std::max(1, static_cast<int>(m.room.cy / std::max(m.lineHeight, 1))) : 1;
                // A translation of a key stored without its dots gets " ..." after it on screen.
                const int width = static_cast<int>(m.room.cx) - (key.dotsRemoved ? m.dotsWidth : 0);
                auto [it, added] = measured.try_emplace(key.key, qm::TextRoom{{}, width, lines});
                if (!added) {
                    it->second.width = std::min(it->second.width, width);
                    it->second.lines = std::min(it->second.lines, lines);
                }
            }
        }
    }
    ASSERT_GT(measured.size(), 30u);
    std::string table;
    for (const auto& [key, room] : measured) {
        table += TableLine(key, room) + "\n";
        const qm::TextRoom* stated = qm::FindTextRoom(key);
        if (!stated) {
            ADD_FAILURE() << "missing from core/settings/text_rooms.inc: " << TableLine(key, room);
        } else {
            EXPECT_EQ(stated->width, room.width) << "should be: " << TableLine(key, room);
            EXPECT_EQ(stated->lines, room.lines) << "should be: " << TableLine(key, room);
        }
    }
    qmtest::WriteBytes(qmtest::ArtifactsFolder() + L"\\text_rooms.inc", {table.begin(), table.end()});
    for (const qm::TextRoom& r : qm::TextRooms()) {
        EXPECT_TRUE(measured.count(std::wstring(r.key))) << "no window shows " << qm::WideToUtf8(std::wstring(r.key));
    }
    const auto rooms = qm::TextRooms();
    EXPECT_TRUE(std::is_sorted(rooms.begin(), rooms.end(),
                               [](const qm::TextRoom& a, const qm::TextRoom& b) { return a.key < b.key; }));
}

}  // namespace
