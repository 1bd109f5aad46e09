#include "toolkit/qt/label_accessibility.h"

#include "toolkit/qt/colours.h"
#include "toolkit/qt/form_window.h"
#include "toolkit/qt/picture_box.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

namespace tolvane::qt {

namespace {

bool isClickable(const LabelView& label) {
    return label.control->click != nullptr;
}

bool isChoosable(const LabelView& label) {
    return label.control->chosenBackColour.has_value();
}

// One accessible child of the window: a label (by its index among the labels) or a picture box.
struct Child {
    int tabIndex = INT_MAX;
    int label = -1;
    PictureBox* box = nullptr;
};

// The window's children in the window's tab order, which is the order a screen reader reads them in:
// the title first, the ages from the youngest, the headings, the values, the credits, the photos.
std::vector<Child> readingOrder(FormWindow& window) {
    std::vector<Child> children;
    const auto& labels = window.content().labels;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        children.push_back({.tabIndex = labels[i].control->tabIndex, .label = static_cast<int>(i)});
    }
    for (QObject* object : window.children()) {
        if (auto* box = dynamic_cast<PictureBox*>(object)) {
            children.push_back({.tabIndex = box->tabIndex(), .box = box});
        }
    }
    std::ranges::stable_sort(children, {}, &Child::tabIndex);
    return children;
}

int childIndexOfLabel(FormWindow& window, std::size_t label) {
    const std::vector<Child> children = readingOrder(window);
    const auto found = std::ranges::find(children, static_cast<int>(label), &Child::label);
    return found == children.end() ? -1 : static_cast<int>(found - children.begin());
}

// One label as assistive technology sees it. It has no QObject of its own; the window's interface
// makes it, and Qt's accessibility cache owns it until the window's interface goes.
class LabelInterface final : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    LabelInterface(FormWindow& window, std::size_t label) : window_(window), label_(label) {}

    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_.windowHandle(); }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(&window_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text which) const override {
        switch (which) {
        case QAccessible::Name:
            return view().caption;
        case QAccessible::Description:
            return view().description;
        default:
            return {};
        }
    }
    // The captions are the program's to write, not the user's.
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        const QRect& rect = view().rect;
        return {window_.mapToGlobal(rect.topLeft()), rect.size()};
    }

    // The ages and the exit act on a click, so a screen reader user meets them as buttons.
    QAccessible::Role role() const override {
        return isClickable(view()) ? QAccessible::Button : QAccessible::StaticText;
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = !window_.isVisible();
        state.readOnly = !isClickable(view());
        // The selected age is the checked one of the ages, as the green colour shows the sighted.
        state.checkable = isChoosable(view());
        state.checked = isChosen(*view().control, view().backColour);
        return state;
    }

    QColor foregroundColor() const override { return view().foreColour; }
    QColor backgroundColor() const override { return toQColor(view().backColour); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface && isClickable(view())) {
            return static_cast<QAccessibleActionInterface*>(this);
        }
        return nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    // Pressing the button is a click on the label, delivered the way the pointer's would be.
    void doAction(const QString& action) override {
        if (action != pressAction() || !window_.isEnabled()) {
            return;
        }
        const QPointF centre = QRectF(view().rect).center();
        const QPointF global = window_.mapToGlobal(centre);
        QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&window_, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(&window_, &release);
    }

  private:
    const LabelView& view() const { return window_.content().labels.at(label_); }

    FormWindow& window_;
    std::size_t label_;
};

// The window: its labels and picture boxes in the window's tab order. Qt may make it while the window is
// still being built, before it has any label (Qt 6.8 does), so it counts the labels and boxes when asked.
class FormWindowInterface final : public QAccessibleWidget {
  public:
    explicit FormWindowInterface(FormWindow& window)
        : QAccessibleWidget(&window, QAccessible::Window), window_(window) {}

    ~FormWindowInterface() override {
        for (const QAccessible::Id id : labelIds_) {
            if (id != 0) {
                QAccessible::deleteAccessibleInterface(id);
            }
        }
    }
    FormWindowInterface(const FormWindowInterface&) = delete;
    FormWindowInterface& operator=(const FormWindowInterface&) = delete;

    int childCount() const override { return static_cast<int>(readingOrder(window_).size()); }

    QAccessibleInterface* child(int index) const override {
        const std::vector<Child> children = readingOrder(window_);
        if (index < 0 || index >= static_cast<int>(children.size())) {
            return nullptr;
        }
        const Child& child = children[static_cast<std::size_t>(index)];
        return child.box != nullptr ? QAccessible::queryAccessibleInterface(child.box) : label(child.label);
    }

    int indexOfChild(const QAccessibleInterface* wanted) const override {
        const int count = childCount();
        for (int i = 0; i < count; ++i) {
            if (child(i) == wanted) {
                return i;
            }
        }
        return -1;
    }

    // The picture boxes lie above the window's surface, so they are asked first.
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = window_.mapFromGlobal(QPoint(x, y));
        if (QWidget* widget = window_.childAt(local); widget != nullptr && widget != &window_) {
            return QAccessible::queryAccessibleInterface(widget);
        }
        const auto& labels = window_.content().labels;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            if (labels[i].rect.contains(local)) {
                return label(static_cast<int>(i));
            }
        }
        return nullptr;
    }

  private:
    QAccessibleInterface* label(int index) const {
        labelIds_.resize(window_.content().labels.size(), 0);
        QAccessible::Id& id = labelIds_[static_cast<std::size_t>(index)];
        if (id == 0) {
            // Qt's accessibility cache owns what it registers, so the interface is handed over raw.
            id = QAccessible::registerAccessibleInterface(
                std::make_unique<LabelInterface>(window_, static_cast<std::size_t>(index)).release());
        }
        return QAccessible::accessibleInterface(id);
    }

    FormWindow& window_;
    mutable std::vector<QAccessible::Id> labelIds_;
};

QAccessibleInterface* formWindowFactory(const QString&, QObject* object) {
    auto* window = dynamic_cast<FormWindow*>(object);
    if (window == nullptr) {
        return nullptr;
    }
    // Owned by Qt's accessibility cache from here on, and deleted with the window.
    return std::make_unique<FormWindowInterface>(*window).release();
}

} // namespace

void installLabelAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&formWindowFactory);
        return true;
    }();
    static_cast<void>(installed);
}

void announceCaptionChange(FormWindow& window, std::size_t label) {
    if (!QAccessible::isActive()) {
        return;
    }
    // Named by the window and the label's place among its children: Qt builds no interface for it
    // unless someone listens.
    QAccessibleEvent event(&window, QAccessible::NameChanged);
    event.setChild(childIndexOfLabel(window, label));
    QAccessible::updateAccessibility(&event);
}

void announceChosenChange(FormWindow& window, std::size_t label) {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(&window, changed);
    event.setChild(childIndexOfLabel(window, label));
    QAccessible::updateAccessibility(&event);
}

} // namespace tolvane::qt
