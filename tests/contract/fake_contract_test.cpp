// The contract against the tests' own fake, which the core's tests trust to behave as the layers do.
#include "tests/contract/contract_gtest.h"
#include "tests/fake_toolkit.h"

#include <memory>

namespace tolvane::testing {
namespace {

class FakeSubject : public contract::Subject {
  public:
    Toolkit& fresh() override {
        fake_ = std::make_unique<FakeToolkit>();
        fake_->rectFollowsProperties = true;
        fake_->visible = true;
        return *fake_;
    }
    bool topmost() override { return fake_->topmost; }

  private:
    std::unique_ptr<FakeToolkit> fake_;
};

TOLVANE_CONTRACT_TESTS(FakeContract, FakeSubject);

} // namespace
} // namespace tolvane::testing
