// Failures injected through a whole session: each status-reporting operation of the scripted session is
// made to fail in turn. The failure must end exactly the handler it happens in, keep what that handler
// had already done, reach the default handling of untrapped errors once, and leave the rest of the
// session running as it would from the same state without any failure.
#include "docking_model.h"
#include "session_script.h"
#include "tick_comparison.h"
#include "toolkit/pixel_scale.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <gtest/gtest.h>
#include <iostream>
#include <map>

namespace tolvane::reliability {

// Names the handler kind in the cases' descriptions.
void PrintTo(SessionEvent::Kind kind, std::ostream* out);

namespace {

using testing::FakeToolkit;
using Log = std::vector<std::string>;

// What the session can change: the labels, the window's place, whether it is shown or unloaded. The
// labels are kept in a flat list in name order, cheap to copy for every event of thousands of sessions.
struct Snapshot {
    struct Label {
        std::string name;
        Colour backColour = 0;
        std::string caption;
        bool operator==(const Label&) const = default;
    };
    std::vector<Label> labels;
    Twips top = 0;
    Twips left = 0;
    bool visible = false;
    bool unloaded = false;

    static Snapshot of(const FakeToolkit& toolkit) {
        Snapshot snapshot{{}, toolkit.top, toolkit.left, toolkit.visible, toolkit.unloaded};
        snapshot.labels.reserve(toolkit.labels.size());
        for (const auto& [name, state] : toolkit.labels) {
            snapshot.labels.push_back({name, state.backColour, state.caption});
        }
        return snapshot;
    }

    // The label of that name; a name the window does not have is added, so that it shows as a difference.
    Label& label(std::string_view name) {
        auto found =
            std::lower_bound(labels.begin(), labels.end(), name,
                             [](const Label& each, std::string_view key) { return each.name < key; });
        if (found == labels.end() || found->name != name) {
            found = labels.insert(found, Label{std::string(name), 0, {}});
        }
        return *found;
    }

    bool operator==(const Snapshot& other) const {
        return labels == other.labels && std::memcmp(&top, &other.top, sizeof top) == 0 &&
               std::memcmp(&left, &other.left, sizeof left) == 0 && visible == other.visible &&
               unloaded == other.unloaded;
    }
};

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool isFailed(std::string_view entry) {
    return entry.size() >= 7 && entry.substr(entry.size() - 7) == " failed";
}

// The declared functions report nothing that could fail; every other entry is an operation that can.
bool reportsStatus(std::string_view entry) {
    return !startsWith(entry, "GetCursorPos") && !startsWith(entry, "GetWindowRect(") &&
           !startsWith(entry, "SetWindowPos(") && !startsWith(entry, "EnumDisplayMonitors");
}

Twips twipsFrom(std::string_view text) {
    Twips value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Where the window puts a position it takes: on the nearest whole pixel.
Twips onWholePixel(Twips twips) {
    constexpr PixelScale kScale(kDefaultDotsPerInch);
    return kScale.toTwips(kScale.toPixels(twips).value_or(0));
}

// The state an event must leave: the state before it with the effect of each operation it logged as
// done, and nothing else. An effect without a logged operation, or of a failed one, breaks the match.
Snapshot replayed(Snapshot state, const Log& log) {
    for (const std::string& entry : log) {
        if (isFailed(entry)) {
            continue;
        }
        const std::string_view text = entry;
        if (const auto colour = text.find(".BackColor=&H"); colour != std::string_view::npos) {
            unsigned value = 0;
            std::from_chars(text.data() + colour + 13, text.data() + text.size(), value, 16);
            state.label(text.substr(0, colour)).backColour = value;
        } else if (const auto caption = text.find(".Caption="); caption != std::string_view::npos) {
            state.label(text.substr(0, caption)).caption = text.substr(caption + 9);
        } else if (startsWith(text, "Frmbzz.Top=")) {
            state.top = onWholePixel(twipsFrom(text.substr(11)));
        } else if (startsWith(text, "Frmbzz.Left=")) {
            state.left = onWholePixel(twipsFrom(text.substr(12)));
        } else if (text == "Frmbzz.Show" || (startsWith(text, "SetWindowPos(") && text.ends_with("&H43)"))) {
            state.visible = true;
        } else if (text == "Frmbzz.Unload") {
            state.unloaded = true;
            state.visible = false;
        }
    }
    return state;
}

// The model's operations for a tick about to run on this fake, failing its k-th operation if k > 0.
Log modelTickLog(const FakeToolkit& toolkit, int failing, Status status) {
    TickSituation s;
    s.pointer = toolkit.cursor;
    s.rect = toolkit.rectOfProperties();
    s.handle = toolkit.handle;
    s.windowState = toolkit.windowState;
    s.top = toolkit.top;
    s.left = toolkit.left;
    s.width = toolkit.width;
    s.height = toolkit.height;
    s.screenWidth = toolkit.screenWidth;
    s.failingOperation = failing;
    s.failingStatus = status;
    return logOf(modelTick(s), s.handle);
}

struct EventRun {
    Log log;
    Snapshot before; // after the user's own actions, as the handler starts
    Snapshot after;
    Log expectedByModel; // ticks only, where the states are kept
};

// Runs events [first, last) of the script, each the way the toolkits deliver it. `failingOperation`, counted
// over the whole session, is the one the fake was told to fail, for the model's view of the ticks. The
// states around each event are kept when asked for, else only around the last one (copying every label
// for every event of thousands of sessions would cost most of the test's time).
std::vector<EventRun> run(FakeToolkit& toolkit, const std::vector<SessionEvent>& events, std::size_t first,
                          std::size_t last, bool everyState, int failingOperation = 0, Status status = 0) {
    std::vector<EventRun> runs;
    runs.reserve(last - first);
    int operationsBefore = toolkit.operationCount();
    for (std::size_t e = first; e < last; ++e) {
        const SessionEvent& event = events[e];
        if (event.userBefore) {
            event.userBefore(toolkit);
        }
        const bool keepState = everyState || e + 1 == last;
        EventRun record;
        if (keepState) {
            record.before = Snapshot::of(toolkit);
        }
        if (keepState && event.kind == SessionEvent::Kind::Tick) {
            const int k = failingOperation - operationsBefore;
            record.expectedByModel = modelTickLog(toolkit, k >= 1 ? k : 0, status);
        }
        toolkit.log.clear();
        dispatch(event.handler, toolkit);
        record.log = std::move(toolkit.log);
        if (keepState) {
            record.after = Snapshot::of(toolkit);
        }
        operationsBefore = toolkit.operationCount();
        runs.push_back(std::move(record));
    }
    return runs;
}

// A fresh fake in the same state as this one, with nothing logged and no failure pending.
FakeToolkit restarted(const FakeToolkit& toolkit) {
    FakeToolkit fresh = sessionToolkit();
    fresh.labels = toolkit.labels;
    fresh.top = toolkit.top;
    fresh.left = toolkit.left;
    fresh.width = toolkit.width;
    fresh.height = toolkit.height;
    fresh.screenWidth = toolkit.screenWidth;
    fresh.windowState = toolkit.windowState;
    fresh.visible = toolkit.visible;
    fresh.unloaded = toolkit.unloaded;
    fresh.cursor = toolkit.cursor;
    return fresh;
}

const char* nameOf(SessionEvent::Kind kind) {
    switch (kind) {
    case SessionEvent::Kind::Load:
        return "FormLoad";
    case SessionEvent::Kind::Tick:
        return "Ticks";
    case SessionEvent::Kind::AgeClick:
        return "AgeClicks";
    case SessionEvent::Kind::Exit:
        return "ExitClick";
    }
    return "?";
}

const std::vector<SessionEvent>& session() {
    static const std::vector<SessionEvent> events = scriptedSession();
    return events;
}

const std::vector<EventRun>& cleanRun() {
    static const std::vector<EventRun> runs = [] {
        FakeToolkit toolkit = sessionToolkit();
        return run(toolkit, session(), 0, session().size(), true);
    }();
    return runs;
}

TEST(ScriptedSessionTest, TheCleanSessionDoesWhatItsOperationsSay) {
    const std::vector<SessionEvent>& events = session();
    const std::vector<EventRun>& clean = cleanRun();
    ASSERT_EQ(clean.size(), events.size());

    std::map<SessionEvent::Kind, int> counts;
    std::map<std::string, int> tickWrites;
    for (std::size_t e = 0; e < events.size(); ++e) {
        SCOPED_TRACE(events[e].name);
        ++counts[events[e].kind];
        EXPECT_TRUE(clean[e].after == replayed(clean[e].before, clean[e].log));
        for (const std::string& entry : clean[e].log) {
            EXPECT_FALSE(isFailed(entry));
        }
        if (events[e].kind == SessionEvent::Kind::Tick) {
            EXPECT_EQ(clean[e].log, clean[e].expectedByModel);
            for (const std::string& entry : clean[e].log) {
                if (entry.find('=') != std::string::npos || entry == "Frmbzz.Show") {
                    ++tickWrites[entry];
                }
            }
        }
    }
    EXPECT_EQ(counts[SessionEvent::Kind::Load], 1);
    EXPECT_EQ(counts[SessionEvent::Kind::Tick], 200);
    EXPECT_EQ(counts[SessionEvent::Kind::AgeClick], 50);
    EXPECT_EQ(counts[SessionEvent::Kind::Exit], 1);
    // The script reaches every kind of move: hidden and revealed at the top, the left and the right.
    for (const char* move : {"Frmbzz.Top=-8000", "Frmbzz.Top=-10", "Frmbzz.Left=-7160", "Frmbzz.Left=-10",
                             "Frmbzz.Left=28760", "Frmbzz.Left=21610", "Frmbzz.Show"}) {
        EXPECT_GT(tickWrites[move], 0) << move;
    }
    EXPECT_TRUE(clean.back().after.unloaded);
}

// One case per kind of handler the failing operation lies in, so that the longer ones run side by side.
class SessionFaultInjectionTest : public ::testing::TestWithParam<SessionEvent::Kind> {};

TEST_P(SessionFaultInjectionTest, EachFailingOperationEndsOnlyItsHandler) {
    const SessionEvent::Kind failingIn = GetParam();
    const std::vector<SessionEvent>& events = session();
    const std::vector<EventRun>& clean = cleanRun();

    // Which event each operation of the clean session belongs to, and where in its log it stands.
    struct Place {
        std::size_t event;
        std::size_t entry;
    };
    std::vector<Place> places;
    for (std::size_t e = 0; e < clean.size(); ++e) {
        for (std::size_t i = 0; i < clean[e].log.size(); ++i) {
            if (reportsStatus(clean[e].log[i])) {
                places.push_back({e, i});
            }
        }
    }
    const int operations = static_cast<int>(places.size());
    ASSERT_GT(operations, 50 * 30);

    // A fault that breaks one injected session tends to break the next ones alike: stop after a few.
    const ::testing::TestResult& result = *::testing::UnitTest::GetInstance()->current_test_info()->result();
    int brokenRuns = 0;
    int injected = 0;
    for (int k = 1; k <= operations && brokenRuns < 5; ++k) {
        const Place place = places[static_cast<std::size_t>(k - 1)];
        const SessionEvent& failingEvent = events[place.event];
        if (failingEvent.kind != failingIn) {
            continue;
        }
        ++injected;
        const Status status = -1000 - k;
        const std::string& failingEntry = clean[place.event].log[place.entry];
        SCOPED_TRACE("operation " + std::to_string(k) + ": " + failingEntry + " in " + failingEvent.name);
        const int reportsBefore = result.total_part_count();

        FakeToolkit toolkit = sessionToolkit();
        toolkit.failOperation(k, status);
        const std::vector<EventRun> upToFailure = run(toolkit, events, 0, place.event + 1, false, k, status);

        // Before the failing handler, everything is as in the clean session.
        for (std::size_t e = 0; e < place.event; ++e) {
            ASSERT_EQ(upToFailure[e].log, clean[e].log) << events[e].name;
        }

        const EventRun& failed = upToFailure[place.event];
        EXPECT_TRUE(failed.before == clean[place.event].before);

        // The failing handler stops at the failed operation and makes none of the rest.
        Log expected(clean[place.event].log.begin(),
                     clean[place.event].log.begin() + static_cast<std::ptrdiff_t>(place.entry) + 1);
        expected.back() += " failed";
        EXPECT_EQ(failed.log, expected);
        if (failingEvent.kind == SessionEvent::Kind::Tick) {
            EXPECT_EQ(failed.log, failed.expectedByModel);
        }
        // What it did before the failure stays done, and nothing else changed.
        EXPECT_TRUE(failed.after == replayed(failed.before, failed.log));

        // The default handling hears of it once, with the failure's own status and object.
        ASSERT_EQ(toolkit.untrapped.size(), 1U);
        EXPECT_EQ(toolkit.untrapped[0].status(), status);
        EXPECT_EQ(toolkit.untrapped[0].object(), failingEntry.substr(0, failingEntry.find('.')));

        // Afterwards the session goes on as a session without failure would from the same state.
        FakeToolkit reference = restarted(toolkit);
        const std::vector<EventRun> faultedRest =
            run(toolkit, events, place.event + 1, events.size(), true, k, status);
        const std::vector<EventRun> cleanRest = run(reference, events, place.event + 1, events.size(), true);
        bool clickedSince = false;
        for (std::size_t e = place.event + 1; e < events.size(); ++e) {
            const EventRun& went = faultedRest[e - place.event - 1];
            const EventRun& without = cleanRest[e - place.event - 1];
            SCOPED_TRACE(events[e].name);
            EXPECT_EQ(went.log, without.log);
            EXPECT_TRUE(went.after == without.after);
            // Every change the handler made is one of the operations it logged, and nothing else.
            EXPECT_TRUE(went.after == replayed(went.before, went.log));
            switch (events[e].kind) {
            case SessionEvent::Kind::AgeClick:
                // A click makes the same 30 assignments whatever came before it.
                EXPECT_EQ(went.log, clean[e].log);
                clickedSince = true;
                break;
            case SessionEvent::Kind::Tick:
                EXPECT_EQ(went.log, went.expectedByModel);
                break;
            case SessionEvent::Kind::Exit:
                EXPECT_EQ(went.log, Log{"Frmbzz.Unload"});
                break;
            case SessionEvent::Kind::Load:
                break;
            }
        }
        if (!faultedRest.empty()) {
            const Snapshot& end = faultedRest.back().after;
            EXPECT_TRUE(end.unloaded);
            if (clickedSince) {
                // A later click has put every label right again: the labels end as in the clean session.
                EXPECT_TRUE(end.labels == clean.back().after.labels);
            }
        }
        EXPECT_EQ(toolkit.untrapped.size(), 1U);
        if (result.total_part_count() > reportsBefore) {
            ++brokenRuns;
        }
    }
    std::cout << "Session of " << events.size() << " events with " << operations
              << " status-reporting operations; failed each of the " << injected << " in "
              << nameOf(failingIn) << " in turn" << std::endl;
    EXPECT_GT(injected, 0);
}

} // namespace

void PrintTo(SessionEvent::Kind kind, std::ostream* out) {
    *out << nameOf(kind);
}

namespace {

INSTANTIATE_TEST_SUITE_P(InEachHandler, SessionFaultInjectionTest,
                         ::testing::Values(SessionEvent::Kind::Load, SessionEvent::Kind::Tick,
                                           SessionEvent::Kind::AgeClick, SessionEvent::Kind::Exit),
                         [](const auto& each) { return std::string(nameOf(each.param)); });

} // namespace
} // namespace tolvane::reliability
