// The contract against the tests' own fake, which the core's tests trust to behave as the layers do.
#include "tests/contract/contract_gtest.h"
#include "tests/fake_toolkit.h"

#include <memory>
#include <string>
#include <vector>

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
    std::vector<Colour> drawing(std::string_view label) override {
        const FakeToolkit::LabelState& state = fake_->labels.at(std::string(label));
        std::vector<Colour> shown{state.backColour};
        shown.insert(shown.end(), state.caption.begin(), state.caption.end());
        return shown;
    }
    void hide() override { fake_->visible = false; }
    bool settlesVisible(bool visible) override { return fake_->visible == visible; }
    bool putPointer(POINT place) override {
        fake_->cursor = place;
        return true;
    }

  private:
    std::unique_ptr<FakeToolkit> fake_;
};

TOLVANE_CONTRACT_TESTS(FakeContract, FakeSubject);

} // namespace
} // namespace tolvane::testing
