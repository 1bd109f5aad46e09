// The contract against the Qt layer, on whichever platform the test runs: offscreen in the suite's own
// run, and on X11 under Openbox in linux.contract.xcb_openbox.
#include "app/frmbzz.h"
#include "tests/contract/contract_gtest.h"
#include "toolkit/qt/qt_toolkit.h"

#include <QTest>
#include <memory>
#include <vector>

namespace tolvane::qt {
namespace {

// Frmbzz without its timer's handler, so that no docking step moves the window under the contract.
struct QuietFrmbzz {
    QuietFrmbzz() : controls(Frmbzz.controls.begin(), Frmbzz.controls.end()), window(Frmbzz) {
        for (ControlDescription& control : controls) {
            control.tick = nullptr;
        }
        window.load = nullptr;
        window.controls = controls;
    }
    std::vector<ControlDescription> controls;
    WindowDescription window;
};

class QtSubject : public contract::Subject {
  public:
    Toolkit& fresh() override {
        toolkit_.reset();
        toolkit_ = std::make_unique<QtToolkit>(description_.window);
        toolkit_->window().show();
        static_cast<void>(QTest::qWaitForWindowExposed(&toolkit_->window()));
        return *toolkit_;
    }
    bool topmost() override { return toolkit_->window().windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

  private:
    QuietFrmbzz description_; // outlives the toolkit, which keeps pointers into it
    std::unique_ptr<QtToolkit> toolkit_;
};

TOLVANE_CONTRACT_TESTS(QtContract, QtSubject);

} // namespace
} // namespace tolvane::qt
