#include "app/window_translation_win.h"

#include <exception>

#include "core/settings/language_support.h"
#include "ui/controls_win.h"

namespace qm {

namespace {
std::wstring Tr(const std::wstring& text) { return TranslateText(std::wstring_view(text)); }

// A control's text, unless the control holds data (user input or the window's state) in it.
void TranslateOwnText(ui::Control& c) {
    if (!c.HoldsUserText()) c.SetText(Tr(c.Text()));
}

void TranslateCaptionAndHint(ui::Control& c) {
    TranslateOwnText(c);
    c.SetHint(Tr(c.Hint()));
}

template <class T>
T* As(ui::Component& c) {
    return dynamic_cast<T*>(&c);
}

void TranslateComponent(ui::Component& c) {
    if (auto* b = As<ui::Button>(c)) TranslateCaptionAndHint(*b);
    if (auto* r = As<ui::RadioButton>(c)) TranslateCaptionAndHint(*r);
    if (auto* x = As<ui::CheckBox>(c)) TranslateCaptionAndHint(*x);
    if (auto* m = As<ui::MenuItem>(c)) {
        m->caption = Tr(m->caption);
        m->hint = Tr(m->hint);
    }
    if (auto* g = As<ui::GroupBox>(c)) TranslateOwnText(*g);
    if (auto* l = As<ui::Label>(c)) TranslateCaptionAndHint(*l);
    if (auto* d = As<ui::OpenDialog>(c)) {
        d->title = Tr(d->title);
        d->filter = Tr(d->filter);  // one key, separators and patterns included
    }
    if (auto* t = As<ui::ToolButton>(c)) TranslateCaptionAndHint(*t);
    if (auto* v = As<ui::ListView>(c)) {
        for (int i = 0, n = v->ColumnCount(); i < n; ++i) v->SetColumnCaption(i, Tr(v->ColumnCaption(i)));
    }
    if (auto* s = As<ui::SpeedButton>(c)) TranslateCaptionAndHint(*s);
    if (auto* control = As<ui::Control>(c)) {
        try {
            TranslateOwnText(*control);
        } catch (const std::exception&) {
            // A control whose text cannot be read or written keeps it; the pass goes on.
        }
    }
    if (auto* a = As<ui::Action>(c)) {
        a->caption = Tr(a->caption);
        a->hint = Tr(a->hint);
    }
}
}  // namespace

void TranslateWindow(ui::Form& window) {
    window.SetCaption(Tr(window.Caption()));
    const auto& components = window.Components();
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (components[i]) TranslateComponent(*components[i]);
    }
}

void TranslateAllWindows() {
    const std::vector<ui::Form*> forms = ui::App().Forms();
    for (ui::Form* f : forms) TranslateWindow(*f);
}

}  // namespace qm
