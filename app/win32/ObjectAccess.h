#pragma once

// The object-access layer over the Win32 main window, for the window translation: the window is a
// form component that owns its controls (named as in MainWindowLayout.h), the language popup menu
// with its items, and the marker a translation pass inserts. Each control shows the text properties
// the translation expects of its kind: Caption for the window, group boxes, labels and buttons; Text
// for edit lines and drop-down lists, whose items are a line list; the status bar's panels as a
// collection of one panel with a Text.

#include "i18n/ObjectAccess.h"

namespace app::win32 {

class MainWindow;

// The window as a component; `window` must outlive every wrapper reached from it.
i18n::ObjectPtr WrapWindow(MainWindow& window);

}  // namespace app::win32
