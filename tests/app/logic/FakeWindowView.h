#pragma once

// A window without a toolkit for the window logic's tests: it holds the controls' state, records the
// boxes, and keeps background work and posted tasks until the test runs them.

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/logic/WindowView.h"

namespace logictest {

using app::logic::Control;

struct Box {
    bool error = false;
    std::string caption;
    std::string text;
};

class FakeWindowView final : public app::logic::WindowView {
public:
    std::string Text(Control control) const override {
        const auto found = texts.find(control);
        return found == texts.end() ? std::string() : found->second;
    }
    void SetText(Control control, const std::string& text) override { texts[control] = text; }
    int Selected(Control list) const override {
        const auto found = selected.find(list);
        return found == selected.end() ? -1 : found->second;
    }
    void Select(Control list, int index) override { selected[list] = index >= 0 && index < 4 ? index : -1; }
    void Enable(Control control, bool on) override { enabled[control] = on; }
    void MarkLanguage(int number, bool checked) override {
        marks.at(static_cast<std::size_t>(number)) = checked;
    }
    void TranslateWindow() override { ++translations; }
    void RetranslateWindow() override { ++retranslations; }
    void ShowPrompt(const std::string& caption, const std::string& text) override {
        boxes.push_back({false, caption, text});
    }
    void ShowError(const std::string& caption, const std::string& text) override {
        boxes.push_back({true, caption, text});
    }
    void Beep() override { ++beeps; }
    void CloseWindow() override { closed = true; }
    void RunInBackground(std::function<void()> work, std::function<void()> done) override {
        background.emplace_back(std::move(work), std::move(done));
    }
    void Post(std::function<void()> task) override { posted.push_back(std::move(task)); }

    // Runs the tasks posted so far, and those they post.
    void RunPosted() {
        while (!posted.empty()) {
            auto task = std::move(posted.front());
            posted.pop_front();
            task();
        }
    }
    // Runs every background job's work, then what it posted, then its completion, as a view does.
    void RunBackground() {
        while (!background.empty()) {
            auto job = std::move(background.front());
            background.pop_front();
            job.first();
            RunPosted();
            job.second();
            RunPosted();
        }
    }

    std::map<Control, std::string> texts;
    std::map<Control, int> selected;
    std::map<Control, bool> enabled;
    std::array<bool, 4> marks{};
    std::vector<Box> boxes;
    std::deque<std::pair<std::function<void()>, std::function<void()>>> background;
    std::deque<std::function<void()>> posted;
    int translations = 0;
    int retranslations = 0;
    int beeps = 0;
    bool closed = false;
};

}  // namespace logictest
