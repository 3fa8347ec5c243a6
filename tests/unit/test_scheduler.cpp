// Unit tests of the pattern scheduler and Arrange modes, driven on a windowless CKalvora and on the core alone.
#include "AppStateGuard.h"
#include <gtest/gtest.h>

#include <stdlib.h>

#include <memory>
#include <set>
#include <vector>

#include "display/Kalvora.h"
#include "core/Visualizer.h"
#include "DibSurface.h"
#include "shared/SharedState.h"
#include "res/resource.h"

namespace {

// Removes every pending `msg` from the test thread's queue and returns their wParams in order.
std::vector<WPARAM> TakePosted(UINT msg)
{
    std::vector<WPARAM> params;
    MSG m;
    while (::PeekMessageA(&m, NULL, msg, msg, PM_REMOVE)) {
        EXPECT_EQ(m.lParam, 0) << "message " << msg;
        params.push_back(m.wParam);
    }
    return params;
}

class SchedulerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TakePosted(WMU_PATTERN_CHANGED);
        TakePosted(WMU_ARRANGE_CHANGED);
        m_kv.reset(new CKalvora);
    }

    void TearDown() override
    {
        m_kv.reset();
        TakePosted(WMU_PATTERN_CHANGED);
        TakePosted(WMU_ARRANGE_CHANGED);
    }

    static void Mark(std::initializer_list<int> patterns)
    {
        for (int p : patterns)
            theShared.m_nPatternEnable[p] = 1;
    }

    // The Arrange mode set (or kept) with its static period ending at dwSwitch.
    void SetModeEndingAt(int nMode, DWORD dwSwitch)
    {
        CArrangeScheduler& s = m_kv->m_core.m_scheduler;
        DWORD dwStart = dwSwitch - (DWORD)s.StaticPeriod(nMode);
        s.SetMode(nMode, dwStart);
        s.Restart(dwStart);
    }

    const CArrangeScheduler& Scheduler() const { return m_kv->m_core.m_scheduler; }

    AppStateGuard m_appState;
    std::unique_ptr<CKalvora> m_kv;
};

// ---- NextPattern: which pattern an automatic switch picks ----------------------------------

TEST_F(SchedulerTest, NoMarksNeverRepeatsTheCurrentOrPicksPatternZero)
{
    srand(12345);
    std::set<int> seen;
    for (int n = 0; n < 3000; n++) {
        m_kv->m_core.m_nPattern = 5;
        m_kv->m_core.NextPattern();
        int p = m_kv->m_core.m_nPattern;
        ASSERT_GE(p, 1);
        ASSERT_LE(p, 16);
        ASSERT_NE(p, 5);
        seen.insert(p);
    }
    EXPECT_EQ(seen.size(), 15u) << "every pattern but 0 and the current one must be reachable";
}

TEST_F(SchedulerTest, TwoMarksAlternate)
{
    Mark({ 3, 9 });
    m_kv->m_core.m_nPattern = 3;
    srand(7);
    for (int n = 0; n < 20; n++) {
        m_kv->m_core.NextPattern();
        ASSERT_EQ(m_kv->m_core.m_nPattern, n % 2 == 0 ? 9 : 3) << "switch " << n;
    }
    std::vector<WPARAM> posted = TakePosted(WMU_PATTERN_CHANGED);
    ASSERT_EQ(posted.size(), 20u);
    EXPECT_EQ(posted[0], 9u);
    EXPECT_EQ(posted[1], 3u);
}

TEST_F(SchedulerTest, SingleMarkRepeatsItselfAndAnnouncesEachTime)
{
    Mark({ 7 });
    theShared.m_nPatternEnable[0] = 1;   // pattern 0's mark takes no part in the choice
    m_kv->m_core.m_nPattern = 2;
    srand(99);
    for (int n = 0; n < 5; n++) {
        m_kv->m_core.NextPattern();
        EXPECT_EQ(m_kv->m_core.m_nPattern, 7);
    }
    EXPECT_EQ(TakePosted(WMU_PATTERN_CHANGED), std::vector<WPARAM>(5, 7));
}

TEST_F(SchedulerTest, MarkedSetFromAnUnmarkedCurrentLeavesOutTheHighestCandidate)
{
    Mark({ 2, 4, 6 });
    srand(2024);
    std::set<int> seen;
    for (int n = 0; n < 500; n++) {
        m_kv->m_core.m_nPattern = 0;
        m_kv->m_core.NextPattern();
        seen.insert(m_kv->m_core.m_nPattern);
    }
    EXPECT_EQ(seen, (std::set<int>{ 2, 4 }));

    // Same rule when the unmarked current pattern is a visual one.
    Mark({ 9 });
    theShared.m_nPatternEnable[4] = 0;
    seen.clear();
    for (int n = 0; n < 500; n++) {
        m_kv->m_core.m_nPattern = 5;
        m_kv->m_core.NextPattern();
        seen.insert(m_kv->m_core.m_nPattern);
    }
    EXPECT_EQ(seen, (std::set<int>{ 2, 6 }));
}

TEST_F(SchedulerTest, SwitchPicksTheWalkEntryOfTheScaledDraw)
{
    struct Case { std::vector<int> marked; int current; };
    const Case cases[] = {
        { {}, 5 }, { {}, 1 }, { {}, 16 }, { {}, 0 },
        { { 2, 4, 6 }, 4 }, { { 2, 4, 6 }, 0 }, { { 1, 8, 11, 15, 16 }, 11 },
        { { 1, 8, 11, 15, 16 }, 3 },
    };
    for (const Case& c : cases) {
        for (int p = 0; p < KV_PATTERN_COUNT; p++)
            theShared.m_nPatternEnable[p] = 0;
        for (int p : c.marked)
            theShared.m_nPatternEnable[p] = 1;
        std::vector<int> candidates;
        for (int p = 1; p <= 16; p++) {
            bool bCandidate = c.marked.empty() || theShared.m_nPatternEnable[p];
            if (bCandidate && p != c.current)
                candidates.push_back(p);
        }
        int nSlots = (c.marked.empty() ? 16 : (int)c.marked.size()) - 1;
        for (unsigned seed = 1; seed <= 40; seed++) {
            srand(seed);
            int r = rand() * nSlots / 32768;
            int expected = candidates[r];
            srand(seed);
            m_kv->m_core.m_nPattern = c.current;
            m_kv->m_core.NextPattern();
            ASSERT_EQ(m_kv->m_core.m_nPattern, expected) << "current " << c.current << " seed " << seed;
            ASSERT_EQ(TakePosted(WMU_PATTERN_CHANGED), std::vector<WPARAM>(1, (WPARAM)expected));
        }
    }
}

// Right clicks on pattern 16's button, as fast as a thread can make them: the mark the scheduler reads
// without a lock comes and goes between any two of its reads.
DWORD WINAPI ToggleMarkSixteen(LPVOID pStop)
{
    while (!*(volatile LONG*)pStop)
        theShared.m_nPatternEnable[16] = theShared.m_nPatternEnable[16] == 0 ? 1 : 0;
    return 0;
}

TEST_F(SchedulerTest, SwitchesWhileTheOnlyMarkComesAndGoesFollowOneRuleOrTheOther)
{
    // Each switch sees pattern 16 either marked (it yields 16) or not (no marks: any of 1 to 16 but the
    // current 3). A switch that mixes both readings can find nothing, keep 3 or walk off the table.
    volatile LONG bStop = 0;
    HANDLE hToggler = ::CreateThread(NULL, 0, ToggleMarkSixteen, (LPVOID)&bStop, 0, NULL);
    ASSERT_NE(hToggler, (HANDLE)NULL);
    srand(31);
    int nWrong = 0, nLastWrong = 0;
    for (int n = 0; n < 20000; n++) {
        m_kv->m_core.m_nPattern = 3;
        m_kv->m_core.NextPattern();
        int p = m_kv->m_core.m_nPattern;
        if (p < 1 || p > 16 || p == 3) {
            nWrong++;
            nLastWrong = p;
        }
        if (n % 256 == 0)
            TakePosted(WMU_PATTERN_CHANGED);
    }
    bStop = 1;
    ::WaitForSingleObject(hToggler, INFINITE);
    ::CloseHandle(hToggler);
    EXPECT_EQ(nWrong, 0) << "switches to no rule's pattern, the last to " << nLastWrong;
}

// ---- Requests from the control window and the display's own commands -----------------------

TEST_F(SchedulerTest, SetArrangeReloadsUserValuesEvenForTheSameMode)
{
    // Each row's beat differs from the row before (and the first from the default 428), so a reload shows.
    const struct { int bpm; int period; } tempos[] = {
        { 300, 200 }, { 140, 428 }, { 7, 8571 }, { 0, 428 }, { 1, 60000 }, { -20, 428 },
    };
    SetModeEndingAt(8, 4242);
    for (const auto& t : tempos) {
        theShared.m_nStaticUser = t.bpm;
        theShared.m_nDynamicUser = t.bpm + 1000;
        EXPECT_EQ(m_kv->OnSetArrange(8, 0), 0);
        EXPECT_EQ(Scheduler().BeatPeriod(), t.period) << "bpm " << t.bpm;
        EXPECT_EQ(Scheduler().Threshold(), t.bpm + 1000);
        EXPECT_EQ(Scheduler().Mode(), 8);
        EXPECT_EQ(Scheduler().NextSwitch(), 4242u) << "an unchanged mode keeps its moment";
    }
    EXPECT_TRUE(TakePosted(WMU_ARRANGE_CHANGED).empty()) << "requests are not announced back";
}

TEST_F(SchedulerTest, SetArrangeStartsTheNewModesPeriodWithTheReloadedTempo)
{
    theShared.m_nStaticUser = 300;
    DWORD before = ::timeGetTime();
    m_kv->OnSetArrange(8, 0);
    DWORD after = ::timeGetTime();
    EXPECT_EQ(Scheduler().Mode(), 8);
    EXPECT_GE(Scheduler().NextSwitch(), before + 200);
    EXPECT_LE(Scheduler().NextSwitch(), after + 200);

    before = ::timeGetTime();
    m_kv->OnSetArrange(2, 0);
    after = ::timeGetTime();
    EXPECT_EQ(Scheduler().Mode(), 2);
    EXPECT_GE(Scheduler().NextSwitch(), before);
    EXPECT_LE(Scheduler().NextSwitch(), after);
    EXPECT_TRUE(TakePosted(WMU_ARRANGE_CHANGED).empty());
}

TEST_F(SchedulerTest, SelectPatternIgnoresOutOfRangeAndCurrentPatterns)
{
    m_kv->m_core.m_nPattern = 4;
    SetModeEndingAt(7, 4242);
    for (WPARAM p : { (WPARAM)17, (WPARAM)100, (WPARAM)-1, (WPARAM)4 }) {
        EXPECT_EQ(m_kv->OnSelectPattern(p, 0), 0);
        EXPECT_EQ(m_kv->m_core.m_nPattern, 4) << "request " << (int)p;
        EXPECT_EQ(Scheduler().NextSwitch(), 4242u) << "request " << (int)p;
    }
}

TEST_F(SchedulerTest, SelectPatternRestartsTheStaticPeriodSilently)
{
    m_kv->m_core.m_scheduler.SetMode(7, 0);
    m_kv->m_core.m_nPattern = 4;
    DWORD before = ::timeGetTime();
    m_kv->OnSelectPattern(16, 0);
    DWORD after = ::timeGetTime();
    EXPECT_EQ(m_kv->m_core.m_nPattern, 16);
    EXPECT_GE(Scheduler().NextSwitch(), before + 10000);
    EXPECT_LE(Scheduler().NextSwitch(), after + 10000);
    EXPECT_TRUE(TakePosted(WMU_PATTERN_CHANGED).empty()) << "requests are not announced back";
}

TEST_F(SchedulerTest, RequestsThatCrossAnAnnouncementAreConfirmedOnce)
{
    // Arrange switches to 9 and announces it while the user's click on 5 is already on its way; the
    // panel reads 9 after it lit 5, so the display must say 5 again, once, and then fall silent.
    Mark({ 9 });
    m_kv->m_core.m_nPattern = 3;
    m_kv->m_core.NextPattern();
    EXPECT_EQ(TakePosted(WMU_PATTERN_CHANGED), std::vector<WPARAM>(1, 9));
    m_kv->OnSelectPattern(5, 0);
    EXPECT_EQ(TakePosted(WMU_PATTERN_CHANGED), std::vector<WPARAM>(1, 5));
    m_kv->OnSelectPattern(6, 0);
    EXPECT_TRUE(TakePosted(WMU_PATTERN_CHANGED).empty());

    // A display key's mode against the panel's pattern click, which asks for Arrange off.
    m_kv->OnArrangeCommand(ID_ARRANGE_FIRST + 3);
    EXPECT_EQ(TakePosted(WMU_ARRANGE_CHANGED), std::vector<WPARAM>(1, 3));
    m_kv->OnSetArrange(0, 0);
    EXPECT_EQ(TakePosted(WMU_ARRANGE_CHANGED), std::vector<WPARAM>(1, 0));
    m_kv->OnSetArrange(2, 0);
    EXPECT_TRUE(TakePosted(WMU_ARRANGE_CHANGED).empty());
    EXPECT_TRUE(TakePosted(WMU_PATTERN_CHANGED).empty()) << "each kind is confirmed on its own";
}

TEST_F(SchedulerTest, SelectingPatternZeroStartsItsGraphColumn)
{
    m_kv->m_core.ResetPatternParams();
    EXPECT_EQ(m_kv->m_core.m_patterns.m_panel.m_nGraphX, 0);
    m_kv->m_core.m_nPattern = 3;
    m_kv->OnSelectPattern(0, 0);
    EXPECT_EQ(m_kv->m_core.m_nPattern, 0);
    EXPECT_EQ(m_kv->m_core.m_patterns.m_panel.m_nGraphX, 20);
}

TEST_F(SchedulerTest, PatternCommandAnnouncesAndKeepsThePeriod)
{
    m_kv->m_core.m_nPattern = 1;
    SetModeEndingAt(6, 4242);
    LRESULT lr = -1;
    ASSERT_TRUE(m_kv->ProcessWindowMessage(NULL, WM_COMMAND, MAKEWPARAM(ID_PATTERN_FIRST + 12, 1), 0, lr));
    EXPECT_EQ(m_kv->m_core.m_nPattern, 12);
    EXPECT_EQ(Scheduler().NextSwitch(), 4242u);
    EXPECT_EQ(TakePosted(WMU_PATTERN_CHANGED), std::vector<WPARAM>(1, 12));

    m_kv->OnPatternCommand(ID_PATTERN_FIRST + 16);
    EXPECT_EQ(m_kv->m_core.m_nPattern, 16);
    EXPECT_EQ(TakePosted(WMU_PATTERN_CHANGED), std::vector<WPARAM>(1, 16));

    m_kv->OnPatternCommand(ID_PATTERN_FIRST + 16);   // already current
    m_kv->OnPatternCommand(ID_PATTERN_FIRST + 17);   // no such pattern
    EXPECT_EQ(m_kv->m_core.m_nPattern, 16);
    EXPECT_TRUE(TakePosted(WMU_PATTERN_CHANGED).empty());
}

TEST_F(SchedulerTest, ArrangeCommandAnnouncesAndUsesThePeriodInPlace)
{
    theShared.m_nStaticUser = 300;   // would give 200 if it were reloaded
    theShared.m_nDynamicUser = 77;
    m_kv->m_core.m_scheduler.LoadUser(240, 90);   // a beat of 60000 / 240 = 250 ms
    m_kv->m_core.m_scheduler.SetMode(0, 0);
    LRESULT lr = -1;
    DWORD before = ::timeGetTime();
    ASSERT_TRUE(m_kv->ProcessWindowMessage(NULL, WM_COMMAND, MAKEWPARAM(ID_ARRANGE_FIRST + 8, 1), 0, lr));
    DWORD after = ::timeGetTime();
    EXPECT_EQ(Scheduler().Mode(), 8);
    EXPECT_EQ(Scheduler().BeatPeriod(), 250);
    EXPECT_EQ(Scheduler().Threshold(), 90);
    EXPECT_GE(Scheduler().NextSwitch(), before + 250);
    EXPECT_LE(Scheduler().NextSwitch(), after + 250);
    EXPECT_EQ(TakePosted(WMU_ARRANGE_CHANGED), std::vector<WPARAM>(1, 8));

    SetModeEndingAt(8, 4242);
    m_kv->OnArrangeCommand(ID_ARRANGE_FIRST + 8);   // already set
    EXPECT_EQ(Scheduler().NextSwitch(), 4242u);
    EXPECT_TRUE(TakePosted(WMU_ARRANGE_CHANGED).empty());

    before = ::timeGetTime();
    m_kv->OnArrangeCommand(ID_ARRANGE_FIRST + 5);
    after = ::timeGetTime();
    EXPECT_EQ(Scheduler().Mode(), 5);
    EXPECT_GE(Scheduler().NextSwitch(), before + 1000);
    EXPECT_LE(Scheduler().NextSwitch(), after + 1000);
    EXPECT_EQ(TakePosted(WMU_ARRANGE_CHANGED), std::vector<WPARAM>(1, 5));
}

} // namespace

// ---- The core alone: its settings view and its announcements ---------------------------------

namespace {

struct Announced {
    std::vector<int> calls;
    static void Take(void* pOwner, int nPattern) { static_cast<Announced*>(pOwner)->calls.push_back(nPattern); }
};

TEST(VisualizerCore, ArrangeModesReadTheOwnersSettingsAndAnnounceThroughItsCallback)
{
    int nMarks[KV_PATTERN_COUNT] = {};
    nMarks[9] = 1;
    int nStaticUser = 300;
    int nDynamicUser = 17;
    CVisualizer core;
    CVisualizer::SSettings settings = { nMarks, &nStaticUser, &nDynamicUser };
    core.SetSettings(settings);
    Announced announced;
    core.SetAnnounce(Announced::Take, &announced);
    core.m_nPattern = 3;

    core.ChooseArrange(8, 1000);
    EXPECT_EQ(core.m_scheduler.BeatPeriod(), 200);          // 60000 / 300 bpm
    EXPECT_EQ(core.m_scheduler.Threshold(), 17);
    EXPECT_EQ(core.m_scheduler.NextSwitch(), 1200u);       // 1000 + 200
    core.CheckArrange(1200);               // not yet: the moment must be passed
    EXPECT_TRUE(announced.calls.empty());
    core.CheckArrange(1201);
    EXPECT_EQ(core.m_nPattern, 9);               // the only marked pattern
    EXPECT_EQ(core.m_scheduler.NextSwitch(), 1401u);       // 1201 + 200
    ASSERT_EQ(announced.calls.size(), 1u);
    EXPECT_EQ(announced.calls[0], 9);

    // The values are read when the mode is chosen, not copied when the view is given.
    nStaticUser = 0;   // below 1: the default tempo, 140 bpm, a beat of 60000 / 140 = 428 ms
    nDynamicUser = 250;
    core.ChooseArrange(4, 0);
    EXPECT_EQ(core.m_scheduler.BeatPeriod(), 428);
    EXPECT_EQ(core.m_scheduler.Threshold(), 250);
}

TEST(VisualizerCore, AChosenPatternAsksTheOwnerToClearAndTouchesNoPicture)
{
    DibSurface surface(64, 48);
    ASSERT_TRUE(surface.Ok());
    surface.Fill(RGB(255, 0, 255));
    CVisualizer core;
    ::SetRect(&core.m_canvas.m_rcClient, 0, 0, 64, 48);
    core.m_canvas.m_crBack = RGB(0, 0, 64);
    core.m_nPattern = 1;
    const struct { int nPattern; BOOL bClear; int nAfter; } cases[] = {
        { 2, TRUE, 2 },                       // a change: the owner clears
        { 2, FALSE, 2 },                      // the same pattern again: nothing to do
        { KV_PATTERN_COUNT, FALSE, 2 },       // out of range: ignored
        { -1, FALSE, 2 },
        { 0, TRUE, 0 },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(core.ChoosePattern(c.nPattern, 0), c.bClear) << c.nPattern;
        EXPECT_EQ(core.m_nPattern, c.nAfter) << c.nPattern;
    }
    EXPECT_EQ(surface.CountOther(RGB(255, 0, 255)), 0) << "the core drew nothing of its own";
    core.Clear(surface.DC());
    EXPECT_EQ(surface.CountOther(RGB(0, 0, 64)), 0) << "a clear covers the whole canvas";
}

} // namespace
