#pragma once
// Window translation: one pass over a window's components that replaces their English design texts
// by their translations, each text being its own key for TranslateText.
namespace ui {
class Form;
}

namespace qm {

// Translates the window's caption, then every component it owns, in the order of its component
// list. For each component every rule whose kind it is applies, in this order:
//   1 button, 2 radio button, 3 check box, 4 menu item (caption, hint); 5 group box (caption);
//   6 label (caption, hint); 7 open-file dialog (title, filter as one key); 8 tool button
//   (caption, hint); 9 list view (each column's caption); 10 speed button (caption, hint);
//   11 any visual control (its text, in a guard of its own: an error there is ignored);
//   12 action (caption, hint).
// The content of text-entry controls (edit, memo, combo box) is user data and stays as it is; so is
// the text of a control its window marks as holding data (HoldsUserText: the change-icon page's
// hidden labels with the chosen icon file and number). Their hints are design texts and translated.
void TranslateWindow(ui::Form& window);

// TranslateWindow for every form owned by the application (not those owned by another form).
void TranslateAllWindows();

}  // namespace qm
