// The placement rules alone, in-process: one input after another, with where the window is held, what
// the manager is known to do, the commands for the X server and the rectangle the program reads checked
// after each. A 472 x 502 client in the frame Openbox draws (1, 1, 20, 5); one 1280 x 1024 monitor unless
// said otherwise.
#include "toolkit/qt/placement_rules.h"

#include <functional>
#include <gtest/gtest.h>
#include <ostream>

// gtest's printers, found by argument-dependent lookup.
void PrintTo(const QRect& rect, std::ostream* out) {
    *out << "(" << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height() << ")";
}

namespace tolvane::qt {

void PrintTo(const PlacementCommand& command, std::ostream* out) {
    static const char* const kKinds[] = {"Ask", "Withdraw", "ShowUnmanaged", "PlaceUnmanaged", "HandBack"};
    *out << kKinds[static_cast<int>(command.kind)] << "(" << command.corner.x() << "," << command.corner.y()
         << (command.moveX ? " x" : "") << (command.moveY ? " y" : "") << ")";
}

namespace {

using enum PlacementRules::Hold;
using enum PlacementRules::OffScreenMoves;
using Kind = PlacementCommand::Kind;

const QMargins kFrame(1, 20, 1, 5);
const QSize kClient(472, 502);
const QRect kScreen(0, 0, 1280, 1024);
// Where the docking step puts the window, in pixels: 40 twips of it left on the screen, or 10 beyond.
constexpr int kHiddenTop = -524;
constexpr int kHiddenLeft = -469;
constexpr int kHiddenRight = 1277;
constexpr int kRevealed = -1;

ServerWord framedAt(QPoint outer) {
    return {.client = QRect(outer + QPoint(kFrame.left(), kFrame.top()), kClient),
            .framed = true,
            .frame = kFrame};
}
ServerWord bareAt(QPoint client) {
    return {.client = QRect(client, kClient), .framed = false, .frame = QMargins()};
}
QRect outerAt(int left, int top) {
    return {QPoint(left, top), QRect(QPoint(), kClient).marginsAdded(kFrame).size()};
}

// The inputs.
using Input = std::function<PlacementCommands(PlacementRules&)>;
Input measured(ServerWord word) {
    return [=](PlacementRules& rules) { return rules.measured(word); };
}
Input top(int y) {
    return [=](PlacementRules& rules) { return rules.move(std::nullopt, y); };
}
Input left(int x) {
    return [=](PlacementRules& rules) { return rules.move(x, std::nullopt); };
}
Input changed() {
    return [](PlacementRules& rules) {
        rules.changed();
        return PlacementCommands{};
    };
}
Input mapped() {
    return [](PlacementRules& rules) { return rules.mapped(); };
}
Input released() {
    return [](PlacementRules& rules) { return rules.reparented(true); };
}
Input monitors(std::vector<QRect> monitors) {
    return [=](PlacementRules& rules) { return rules.monitorsChanged(monitors); };
}

// The commands.
PlacementCommand ask(int x, int y, bool moveX, bool moveY, QMargins frame = kFrame) {
    return {.kind = Kind::Ask, .corner = QPoint(x, y), .frame = frame, .moveX = moveX, .moveY = moveY};
}
PlacementCommand withdraw() {
    return {.kind = Kind::Withdraw};
}
PlacementCommand showUnmanaged(int x, int y) {
    return {.kind = Kind::ShowUnmanaged, .corner = QPoint(x, y)};
}
PlacementCommand placeUnmanaged(int x, int y) {
    return {.kind = Kind::PlaceUnmanaged, .corner = QPoint(x, y)};
}
PlacementCommand handBack(int x, int y) {
    return {.kind = Kind::HandBack, .corner = QPoint(x, y), .frame = kFrame};
}

struct Step {
    const char* what;
    Input input;
    PlacementRules::Hold hold;
    PlacementRules::OffScreenMoves moves;
    PlacementCommands commands;
    std::optional<QRect> reads = std::nullopt; // what the program reads afterwards, where it matters
};
using Steps = std::vector<Step>;

Steps operator+(Steps first, const Steps& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

void run(const Steps& steps, std::vector<QRect> monitors = {kScreen}) {
    PlacementRules rules(std::move(monitors), 1);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(step.input(rules), step.commands);
        EXPECT_EQ(rules.hold(), step.hold);
        EXPECT_EQ(rules.offScreenMoves(), step.moves);
        if (step.reads) {
            EXPECT_EQ(rules.outer(), step.reads);
        }
    }
}

// clang-format off

// A manager that keeps windows on the screen (Openbox, xfwm4, Mutter) does not carry out the hide, so the
// window is withdrawn from it and shown unmanaged, its own bottom rows on the screen.
const Steps kHiddenUnmanagedAtTop = {
    {"framed at the screen's corner", measured(framedAt({0, 0})), Settled, Unknown, {}, outerAt(0, 0)},
    {"hidden at the top: asked of the manager, and read back at once",
        top(kHiddenTop), Asked, Unknown, {ask(0, kHiddenTop, false, true)}, outerAt(0, kHiddenTop)},
    {"the manager keeps part of it on the screen", changed(), Asked, Unknown, {}},
    {"which reads as the server has it", measured(framedAt({0, -470})), Settled, Unknown, {}, outerAt(0, -470)},
    {"the same hide on the next tick: missed once", top(kHiddenTop), Asked, MissedOnce, {ask(0, kHiddenTop, false, true)}},
    {"and again, the manager not having moved it: refused, so withdrawn",
        top(kHiddenTop), Withdrawing, Refused, {withdraw()}, outerAt(0, kHiddenTop)},
    {"still framed while the manager lets go", measured(framedAt({0, -470})), Withdrawing, Refused, {}},
    {"the root's again: shown unmanaged, its bottom rows at the top",
        released(), Unmanaged, Refused, {showUnmanaged(1, -499)}, outerAt(0, kHiddenTop)},
    {"its own map", mapped(), Unmanaged, Refused, {}},
    {"measured where it was put", measured(bareAt({1, -499})), Unmanaged, Refused, {}},
    {"hidden on every tick at rest: nothing to do", top(kHiddenTop), Unmanaged, Refused, {}},
};

TEST(PlacementTest, AManagerThatKeepsWindowsOnTheScreen) {
    run(kHiddenUnmanagedAtTop + Steps{
        {"revealed: handed back", top(kRevealed), HandedBack, Refused, {handBack(0, kRevealed)}, outerAt(0, kRevealed)},
        {"revealed on the next tick, not yet framed: nothing to do", top(kRevealed), HandedBack, Refused, {}},
        {"framed and mapped by the manager", mapped(), Settled, Refused, {}},
        {"at row 0, a pixel from where it was asked: reads as asked",
            measured(framedAt({0, 0})), Settled, Refused, {}, outerAt(0, kRevealed)},
        {"revealed on every tick at rest: nothing to do", top(kRevealed), Settled, Refused, {}},
        {"hidden again: withdrawn at once", top(kHiddenTop), Withdrawing, Refused, {withdraw()}},
        {"revealed while the manager lets go", top(kRevealed), WithdrawingToReturn, Refused, {}, outerAt(0, kRevealed)},
        {"and hidden again before it has", top(kHiddenTop), Withdrawing, Refused, {}},
        {"revealed once more", top(kRevealed), WithdrawingToReturn, Refused, {}},
        {"let go: handed back at once", released(), HandedBack, Refused, {handBack(0, kRevealed)}},
        {"not yet framed", measured(bareAt({0, kRevealed})), HandedBack, Refused, {}},
        {"hidden before the manager takes it: not framed, so shown unmanaged at once",
            top(kHiddenTop), Unmanaged, Refused, {withdraw(), showUnmanaged(1, -499)}},
    });
}

TEST(PlacementTest, AManagerThatCarriesMovesOffTheScreenOut) {
    run({
        {"framed at the screen's corner", measured(framedAt({0, 0})), Settled, Unknown, {}},
        {"hidden at the top", top(kHiddenTop), Asked, Unknown, {ask(0, kHiddenTop, false, true)}},
        {"moved by the manager", changed(), Asked, Unknown, {}},
        {"where it was asked", measured(framedAt({0, kHiddenTop})), Settled, Unknown, {}, outerAt(0, kHiddenTop)},
        {"hidden on every tick at rest: nothing to do", top(kHiddenTop), Settled, Unknown, {}},
        {"dragged by the user", measured(framedAt({300, 250})), Settled, Unknown, {}, outerAt(300, 250)},
        {"a Left write moves only the left edge",
            left(kHiddenLeft), Asked, Unknown, {ask(kHiddenLeft, 250, true, false)}, outerAt(kHiddenLeft, 250)},
    });
}

TEST(PlacementTest, WithoutAManagerAWriteReadsBackAtOnce) {
    const QRect corner(QPoint(0, 0), kClient);
    run({
        {"the root's child", measured(bareAt({0, 0})), Settled, Unknown, {}, corner},
        {"hidden at the left", left(-469), Asked, Unknown, {ask(-469, 0, true, false, {})}, corner.translated(-469, 0)},
        {"moved by the server", measured(bareAt({-469, 0})), Settled, Unknown, {}, corner.translated(-469, 0)},
        {"revealed", left(-1), Asked, Unknown, {ask(-1, 0, true, false, {})}},
        {"moved by the user before the server's word of the move came",
            measured(bareAt({0, 200})), Settled, Unknown, {}, corner.translated(0, 200)},
        {"off the screen, yet never refused: no manager frames it", left(-470), Asked, Unknown, {ask(-470, 200, true, false, {})}},
        {"asked again before the server's word came", left(-470), Asked, Unknown, {ask(-470, 200, true, false, {})}},
        {"and again", left(-470), Asked, Unknown, {ask(-470, 200, true, false, {})}},
    });
}

TEST(PlacementTest, TheStripIsOfTheWindowsOwnPixelsAtEachEdge) {
    run(kHiddenUnmanagedAtTop + Steps{
        {"moved below the top: handed back", top(200), HandedBack, Refused, {handBack(0, 200)}},
        {"framed", mapped(), Settled, Refused, {}},
        {"where it was handed back", measured(framedAt({0, 200})), Settled, Refused, {}},
        {"hidden at the left", left(kHiddenLeft), Withdrawing, Refused, {withdraw()}},
        {"let go: its right columns at the left edge",
            released(), Unmanaged, Refused, {showUnmanaged(-467, 220)}, outerAt(kHiddenLeft, 200)},
        {"hidden at the right: its left columns at the right edge",
            left(kHiddenRight), Unmanaged, Refused, {placeUnmanaged(kHiddenRight, 220)}, outerAt(kHiddenRight, 200)},
        {"moved lower by someone else", measured(bareAt({kHiddenRight, 640})), Unmanaged, Refused, {}, outerAt(kHiddenRight, 620)},
        {"past the screen's bottom but on it otherwise: handed back", left(600), HandedBack, Refused, {handBack(600, 620)}},
    });
}

TEST(PlacementTest, TheMonitorsSayWhatIsOffThem) {
    // A second monitor right of the first, 200 pixels lower.
    const QRect lower(1280, 200, 1920, 1080);
    run(kHiddenUnmanagedAtTop + Steps{
        {"over the second monitor, still above all monitors", left(1500), Unmanaged, Refused, {placeUnmanaged(1501, -499)}},
        {"above the second monitor's top, below the first's: its bottom rows on the second",
            top(100), Unmanaged, Refused, {placeUnmanaged(1501, 125)}},
        {"wholly on the second monitor: handed back", top(200), HandedBack, Refused, {handBack(1500, 200)}},
    }, {kScreen, lower});
    // A small monitor right of the first, less tall than the window: beyond the first's right edge below it,
    // no monitor shows the window.
    const QRect small(1280, 0, 1024, 480);
    run(kHiddenUnmanagedAtTop + Steps{
        {"low on the first monitor: handed back", top(500), HandedBack, Refused, {handBack(0, 500)}},
        {"framed", mapped(), Settled, Refused, {}},
        {"where it was handed back", measured(framedAt({0, 500})), Settled, Refused, {}},
        {"hidden at its right edge below the small monitor: withdrawn",
            left(kHiddenRight), Withdrawing, Refused, {withdraw()}},
    }, {kScreen, small});
    const QRect above(0, -1080, 1920, 1080);
    run(kHiddenUnmanagedAtTop + Steps{
        {"a monitor that does not hold it changes nothing", monitors({kScreen, lower}), Unmanaged, Refused, {}},
        {"one above the screen holds the hidden window: handed back",
            monitors({kScreen, above}), HandedBack, Refused, {handBack(0, kHiddenTop)}},
    });
}

// clang-format on

} // namespace
} // namespace tolvane::qt
