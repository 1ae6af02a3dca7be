#pragma once
// 繁體中文 on the desktop: one mechanism for every window instead of edits to each.
//
// A proxy style converts texts as they are painted (labels, buttons, check boxes, menus, tabs,
// headers, group boxes, item views, combo boxes, tool tips, message boxes), so the widgets keep
// their simplified texts and every lookup by text goes on working. An application-wide event
// filter does what painting cannot: window titles, rich-text labels and read-only text views
// and fields, converted when shown or changed. Widgets that paint their own texts call
// shownText(). Editable fields and the report pane are never touched: what the user types
// stays as typed, and a report has the characters it was made or stored with.
//
// Names are never converted: a person's name, a surname, a place or a class is registered with
// keepAsTyped() by the window that shows it and passes unchanged wherever it appears (范 is
// never 範); a view that holds only such words is marked with showAsTyped().
#include <QString>
#include <string>

class QWidget;

namespace hj::gui {

// Installs the style and the filter on the application (once; later calls do nothing).
void installTraditionalDisplay();
bool traditionalShown();
// Switches the display; open windows are repainted and their titles and views converted.
void setTraditionalShown(bool on);
// `text` as it is to be shown: converted when the display is traditional; in a widget marked
// with showAsTyped (or one of its children) as it is.
QString shownText(const QString& text, const QWidget* widget = nullptr);
// A word shown as typed in every text from now on.
void keepAsTyped(const QString& word);
void keepAsTyped(const std::string& utf8Word);  // the same, for words the engine holds
// The items and texts `w` paints itself (a list, a table, a combo box) are shown as typed.
void showAsTyped(QWidget* w);

}  // namespace hj::gui
