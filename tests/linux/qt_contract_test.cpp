// The contract against the Qt layer, on whichever platform the test runs: offscreen in the suite's own
// run, and on X11 under Openbox in linux.contract.xcb_openbox.
#include "tests/contract/contract_gtest.h"
#include "tests/frmbzz_copy.h"
#include "toolkit/qt/qt_toolkit.h"

#include <QTest>
#include <memory>

namespace tolvane::qt {
namespace {

using tolvane::testing::QuietFrmbzz;

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
