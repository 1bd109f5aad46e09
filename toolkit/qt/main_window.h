// The window Frmbzz on Qt: its top-level widget (form_window.h) built from the description, with its
// labels, lines, picture boxes and timers; the labels' colours and captions, each repainted and told to
// screen readers; the clicks on labels, the timers' ticks and the window system's close, delivered to the
// program as its events; the event loop; and the program's end, by Unload, by closing, or after an
// untrapped error with its message box. Handlers reach it only through the toolkit adaptor
// (qt_toolkit.h), which names its labels and converts its units and statuses.
// Everything runs on the GUI thread; a QApplication must exist before this object.
#pragma once

#include "toolkit/description.h"
#include "toolkit/qt/form_content.h"
#include "toolkit/qt/form_window.h"
#include "toolkit/runtime_error.h"

#include <QTimer>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::qt {

class MainWindow final : private FormEvents, private ProgramEnd {
  public:
    // The program's handlers run with the toolkit's services they are given here.
    MainWindow(const WindowDescription& description, Toolkit& program);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Runs the Load handler, shows the window as the start-up window (unless it is already gone or
    // going) and delivers events until the window is gone; returns the process's exit status.
    int run();

    // False once the window is unloaded, or an untrapped error is ending the program.
    bool loaded() const { return loaded_; }
    FormWindow& widget() { return *widget_; }
    const FormContent& content() const { return content_; }

    // A label's back colour or caption, the label given by its place in creation order: drawn again
    // and told to screen readers. A write that changes nothing does neither.
    void setBackColour(std::size_t label, Colour colour);
    void setCaption(std::size_t label, std::string_view utf8Text);

    // Ends the program with status 0 once the running handler returns to the event loop.
    void unload() { endProgram(0); }

    // The default handling of an untrapped run-time error (runtime_error.h); the first one ends the
    // program, and any later one says nothing.
    void reportUntrappedError(const RuntimeError& error);

  private:
    void addControl(const ControlDescription& control);
    // Runs a handler unless the window is already gone or going.
    void deliver(Handler handler);
    void labelClicked(std::size_t label) override;
    void closeRequested() override;
    void stopTimers();

    // Destroys nothing yet (a handler may still be on the stack): hides the window, stops the timers,
    // and ends the event loop with this status.
    void endProgram(int exitStatus) override;
    void stopEvents() override;
    void showErrorMessage(const std::string& text) override;

    const WindowDescription& description_;
    Toolkit& program_;
    // Declared before the widget, which paints from it, so that it outlives the widget.
    FormContent content_;
    std::unique_ptr<FormWindow> widget_;
    std::vector<std::unique_ptr<QTimer>> timers_;
    bool loaded_ = true;
    bool ending_ = false;         // an untrapped error is being reported: no more events
    bool visibleAtError_ = false; // the window was up when an untrapped error stopped its events
    std::optional<int> exitStatus_;
};

} // namespace tolvane::qt
