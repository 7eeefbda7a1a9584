#pragma once

// What the main window's logic asks of a window toolkit. The Qt window and the Win32 window each
// implement it; the logic (WindowLogic) decides everything else. Texts are UTF-8.
//
// Threads: every member is called on the window's thread, except Post, which any thread may call.

#include <functional>
#include <string>

namespace app::logic {

// The controls that the logic reads or changes.
enum class Control {
    ServerNetMode,     // drop-down list
    Port,              // spin field; its text is the value as typed
    StaticIPLabel,     // label
    StaticIP,          // edit line
    ObtainIP,          // button
    DomainLabel,       // label
    DomainAddress,     // edit line
    ServiceNetwork,    // drop-down list
    Other,             // edit line
    DTUNumber,         // edit line with a keyboard limit
    SMSCommandType,    // drop-down list
    SMSCommandFormat,  // edit line
    Status,            // the status bar's one panel
};

class WindowView {
public:
    virtual ~WindowView() = default;

    // The text a control shows.
    virtual std::string Text(Control control) const = 0;
    // Shows `text` in a control without running its change notification. An edit line takes the text
    // whole, beyond its keyboard limit; the port field is given decimal digits within its range.
    virtual void SetText(Control control, const std::string& text) = 0;
    // The selected item of a drop-down list, -1 for none.
    virtual int Selected(Control list) const = 0;
    // Selects item `index` of a drop-down list; an index outside the list clears the selection.
    virtual void Select(Control list, int index) = 0;
    virtual void Enable(Control control, bool enabled) = 0;

    // Sets or clears the check mark of the language menu's item `number` (0 to 3).
    virtual void MarkLanguage(int number, bool checked) = 0;
    // Runs the first translation pass over the window (its texts recorded in English).
    virtual void TranslateWindow() = 0;
    // Replays the window's recorded texts in the engine's language, when it changed.
    virtual void RetranslateWindow() = 0;

    // A modal prompt box (information icon, one OK button) owned by the window.
    virtual void ShowPrompt(const std::string& caption, const std::string& text) = 0;
    // A modal error box (error icon, one OK button) owned by the window.
    virtual void ShowError(const std::string& caption, const std::string& text) = 0;
    virtual void Beep() = 0;
    // Closes the window, which ends the program.
    virtual void CloseWindow() = 0;

    // Runs `work` on another thread, then `done` on the window's thread. When the window is closed
    // meanwhile, `done` may not run; the view waits for `work` to end before it goes away.
    virtual void RunInBackground(std::function<void()> work, std::function<void()> done) = 0;
    // Runs `task` on the window's thread once the events already waiting there have been handled.
    // Callable from any thread; dropped once the window is gone.
    virtual void Post(std::function<void()> task) = 0;
};

}  // namespace app::logic
