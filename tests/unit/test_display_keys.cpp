// Unit tests of the display window's keys: tap tempo, Home, Escape, characters and routed colour commands.
#include "AppStateGuard.h"
#include <gtest/gtest.h>

#include <memory>

#include "display/Kalvora.h"
#include "shared/SharedState.h"
#include "res/resource.h"

namespace {

// Tick counts well past the first 30 s of uptime, so the ring's initial zeros never pair up.
const DWORD kT = 5000000;

int CountPosted(UINT msg)
{
    int n = 0;
    MSG m;
    while (::PeekMessageA(&m, NULL, msg, msg, PM_REMOVE))
        n++;
    return n;
}

class DisplayKeysTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CountPosted(WMU_TOGGLE_CTRL);
        m_kv.reset(new CKalvora);
    }

    void TearDown() override
    {
        m_kv.reset();
        CountPosted(WMU_TOGGLE_CTRL);
    }

    void Taps(std::initializer_list<DWORD> ticks)
    {
        for (DWORD t : ticks)
            m_kv->OnTap(t);
    }

    // Sends a command the way the accelerators (HIWORD 1) deliver it, through the message map.
    void Command(UINT nID)
    {
        LRESULT lr = -1;
        ASSERT_TRUE(m_kv->ProcessWindowMessage(NULL, WM_COMMAND, MAKEWPARAM(nID, 1), 0, lr))
            << std::hex << nID;
    }

    AppStateGuard m_appState{ false };
    std::unique_ptr<CKalvora> m_kv;
};

// ---- Tap tempo ------------------------------------------------------------------------------

TEST_F(DisplayKeysTest, FirstTapChangesNothing)
{
    theShared.m_nStaticUser = 77;
    Taps({ kT });
    EXPECT_EQ(m_kv->m_core.m_nBeatPeriod, 428);
    EXPECT_EQ(theShared.m_nStaticUser, 77);
}

TEST_F(DisplayKeysTest, EvenTapsSetPeriodAndTempo)
{
    Taps({ kT, kT + 500 });
    EXPECT_EQ(m_kv->m_core.m_nBeatPeriod, 500);
    EXPECT_EQ(theShared.m_nStaticUser, 120);
    // Around the ring and beyond: still the same beat.
    Taps({ kT + 1000, kT + 1500, kT + 2000, kT + 2500, kT + 3000 });
    EXPECT_EQ(m_kv->m_core.m_nBeatPeriod, 500);
    EXPECT_EQ(theShared.m_nStaticUser, 120);
}

TEST_F(DisplayKeysTest, FastTapsClampToTheShortestPeriod)
{
    Taps({ kT, kT + 50, kT + 100, kT + 150 });
    EXPECT_EQ(m_kv->m_core.m_nBeatPeriod, 100);
    EXPECT_EQ(theShared.m_nStaticUser, 600);
}

TEST_F(DisplayKeysTest, PeriodIsTheTruncatedMeanOfCountedPairs)
{
    Taps({ kT, kT + 300, kT + 801 });   // pairs 300 and 501
    EXPECT_EQ(m_kv->m_core.m_nBeatPeriod, 400);
    EXPECT_EQ(theShared.m_nStaticUser, 150);
}

TEST_F(DisplayKeysTest, TapAfterALongPauseDoesNotPair)
{
    Taps({ kT, kT + 300, kT + 800 });
    ASSERT_EQ(m_kv->m_core.m_nBeatPeriod, 400);
    Taps({ kT + 800 + 30000 });
    EXPECT_EQ(m_kv->m_core.m_nBeatPeriod, 400) << "only the two older pairs remain";
    EXPECT_EQ(theShared.m_nStaticUser, 150);
}

TEST_F(DisplayKeysTest, TapJustUnderThePauseLimitStillPairs)
{
    Taps({ kT, kT + 300, kT + 800, kT + 800 + 29999 });
    EXPECT_EQ(m_kv->m_core.m_nBeatPeriod, (300 + 500 + 29999) / 3);
    EXPECT_EQ(theShared.m_nStaticUser, 60000 / ((300 + 500 + 29999) / 3));
}

TEST_F(DisplayKeysTest, TapsAcrossTheTickWrapDoNotPair)
{
    theShared.m_nStaticUser = 77;
    Taps({ 0xFFFFFF00u, 0x00000100u });
    EXPECT_EQ(m_kv->m_core.m_nBeatPeriod, 428);
    EXPECT_EQ(theShared.m_nStaticUser, 77);
}

TEST_F(DisplayKeysTest, EnterKeyStoresTheTickInTheNextSlot)
{
    DWORD before = ::GetTickCount();
    LRESULT lr = -1;
    ASSERT_TRUE(m_kv->ProcessWindowMessage(NULL, WM_KEYDOWN, VK_RETURN, 1, lr));
    DWORD after = ::GetTickCount();
    EXPECT_EQ(m_kv->m_nTapPos, 1);
    EXPECT_GE(m_kv->m_dwTap[0], before);
    EXPECT_LE(m_kv->m_dwTap[0], after);
}

// ---- Plain keys and characters --------------------------------------------------------------

TEST_F(DisplayKeysTest, HomeTwiceReturnsToABlackBackground)
{
    m_kv->OnSetBackColor(RGB(200, 0, 0), 0);   // a screen colour other than black
    m_kv->OnKeyDown(VK_HOME, 1, 0);
    EXPECT_TRUE(m_kv->m_core.m_bInvert);
    EXPECT_EQ(m_kv->m_core.m_crBack, 0xFFFFFFu);
    m_kv->OnKeyDown(VK_HOME, 1, 0);
    EXPECT_FALSE(m_kv->m_core.m_bInvert);
    EXPECT_EQ(m_kv->m_core.m_crBack, 0u);
}

TEST_F(DisplayKeysTest, EscapeShowsAHiddenControlWindowOnly)
{
    theShared.m_bCtrlHidden = TRUE;
    m_kv->OnKeyDown(VK_ESCAPE, 1, 0);
    EXPECT_EQ(CountPosted(WMU_TOGGLE_CTRL), 1);

    theShared.m_bCtrlHidden = FALSE;
    m_kv->OnKeyDown(VK_ESCAPE, 1, 0);
    EXPECT_EQ(CountPosted(WMU_TOGGLE_CTRL), 0);
}

TEST_F(DisplayKeysTest, OtherKeysLeaveTheDisplayAlone)
{
    for (UINT vk : { (UINT)VK_SPACE, (UINT)VK_LEFT, (UINT)VK_UP, (UINT)'A', (UINT)VK_F5 }) {
        m_kv->OnKeyDown(vk, 1, 0);
        EXPECT_FALSE(m_kv->m_core.m_bInvert) << vk;
        EXPECT_EQ(m_kv->m_core.m_crBack, 0u) << vk;
        EXPECT_EQ(m_kv->m_nTapPos, 0) << vk;
        EXPECT_EQ(m_kv->m_core.m_nHue, 180) << vk;
    }
    EXPECT_EQ(CountPosted(WMU_TOGGLE_CTRL), 0);
}

TEST_F(DisplayKeysTest, CharactersToggleMonoInvertAndShapes)
{
    LRESULT lr = -1;
    ASSERT_TRUE(m_kv->ProcessWindowMessage(NULL, WM_CHAR, '/', 1, lr));
    EXPECT_TRUE(m_kv->m_core.m_bMono);
    m_kv->OnChar('/', 1, 0);
    EXPECT_FALSE(m_kv->m_core.m_bMono);

    m_kv->OnChar('\\', 1, 0);
    EXPECT_TRUE(m_kv->m_core.m_bInvert);
    EXPECT_EQ(m_kv->m_core.m_crBack, 0xFFFFFFu);
    m_kv->OnChar('\\', 1, 0);
    EXPECT_FALSE(m_kv->m_core.m_bInvert);
    EXPECT_EQ(m_kv->m_core.m_crBack, 0u);

    ASSERT_TRUE(m_kv->m_core.m_bDrawShapes);
    m_kv->OnChar('^', 1, 0);
    EXPECT_FALSE(m_kv->m_core.m_bDrawShapes);
    m_kv->OnChar('^', 1, 0);
    EXPECT_TRUE(m_kv->m_core.m_bDrawShapes);

    m_kv->OnChar('a', 1, 0);
    m_kv->OnChar('|', 1, 0);
    EXPECT_FALSE(m_kv->m_core.m_bMono);
    EXPECT_FALSE(m_kv->m_core.m_bInvert);
    EXPECT_TRUE(m_kv->m_core.m_bDrawShapes);
}

// ---- Commands through the message map -------------------------------------------------------

TEST_F(DisplayKeysTest, HueCommandsStepThroughTheMessageMap)
{
    ASSERT_EQ(m_kv->m_core.m_nHue, 180);
    Command(0x804A);
    EXPECT_EQ(m_kv->m_core.m_nHue, 181);
    Command(0x804B);
    EXPECT_EQ(m_kv->m_core.m_nHue, 191);
    Command(0x804C);
    EXPECT_EQ(m_kv->m_core.m_nHue, 190);
    Command(0x804D);
    EXPECT_EQ(m_kv->m_core.m_nHue, 180);

    // A menu-style command (HIWORD 0) reaches the same handler.
    LRESULT lr = -1;
    ASSERT_TRUE(m_kv->ProcessWindowMessage(NULL, WM_COMMAND, MAKEWPARAM(0x804E, 0), 0, lr));
    EXPECT_EQ(m_kv->m_core.m_nHueRange, 6);
}

TEST_F(DisplayKeysTest, HueWrapsPastItsTop)
{
    m_kv->m_core.m_nHue = 32767;
    Command(0x804A);
    EXPECT_EQ(m_kv->m_core.m_nHue, 1);
}

TEST_F(DisplayKeysTest, WhitenessMaximumCannotFallBelowTheMinimum)
{
    ASSERT_EQ(m_kv->m_core.m_nWhiteMax, 5);
    ASSERT_EQ(m_kv->m_core.m_nWhiteMin, 0);
    Command(0x8049);   // Shift+Ctrl+F7
    EXPECT_EQ(m_kv->m_core.m_nWhiteMax, 0);
    EXPECT_EQ(m_kv->m_core.m_nWhiteRange, 1);
    Command(0x8047);   // Ctrl+F7
    EXPECT_EQ(m_kv->m_core.m_nWhiteMax, 10);
    EXPECT_EQ(m_kv->m_core.m_nWhiteRange, 10);
}

TEST_F(DisplayKeysTest, ControlWindowCommandAsksTheMainThread)
{
    theShared.m_bCtrlHidden = FALSE;
    Command(ID_CONTROL_WINDOW);
    EXPECT_EQ(CountPosted(WMU_TOGGLE_CTRL), 1);
    EXPECT_FALSE(theShared.m_bCtrlHidden) << "the main thread owns the flag";
}

} // namespace
