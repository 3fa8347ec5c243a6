// Unit tests of the display window's keys: tap tempo, Home, Escape, characters and routed colour commands.
#include "AppStateGuard.h"
#include <gtest/gtest.h>

#include <memory>

#include "display/Kalvora.h"
#include "shared/SharedState.h"
#include "res/resource.h"

namespace {

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

// ---- Tap tempo (the beat itself is the scheduler's) ------------------------------------------

TEST_F(DisplayKeysTest, EnterTapsTheTickAndTheTappedBeatBecomesStaticUsersTempo)
{
    theShared.m_nStaticUser = 77;
    DWORD before = ::GetTickCount();
    LRESULT lr = -1;
    ASSERT_TRUE(m_kv->ProcessWindowMessage(NULL, WM_KEYDOWN, VK_RETURN, 1, lr));
    DWORD after = ::GetTickCount();
    EXPECT_EQ(theShared.m_nStaticUser, 77) << "a first tap makes no beat";

    // The Enter tap fell between before and after, so the beat to a tap at before + 1000 lies between.
    m_kv->OnTap(before + 1000);
    int nPeriod = m_kv->m_core.m_scheduler.BeatPeriod();
    EXPECT_GE(nPeriod, (int)(before + 1000 - after));
    EXPECT_LE(nPeriod, 1000);
    EXPECT_EQ(theShared.m_nStaticUser, 60000 / nPeriod);
}

// ---- Plain keys and characters --------------------------------------------------------------

TEST_F(DisplayKeysTest, HomeTwiceReturnsToABlackBackground)
{
    m_kv->OnSetBackColor(RGB(200, 0, 0), 0);   // a screen colour other than black
    m_kv->OnKeyDown(VK_HOME, 1, 0);
    EXPECT_TRUE(m_kv->m_core.m_canvas.m_bInvert);
    EXPECT_EQ(m_kv->m_core.m_canvas.m_crBack, 0xFFFFFFu);
    m_kv->OnKeyDown(VK_HOME, 1, 0);
    EXPECT_FALSE(m_kv->m_core.m_canvas.m_bInvert);
    EXPECT_EQ(m_kv->m_core.m_canvas.m_crBack, 0u);
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
    theShared.m_nStaticUser = 77;
    for (UINT vk : { (UINT)VK_SPACE, (UINT)VK_LEFT, (UINT)VK_UP, (UINT)'A', (UINT)VK_F5 }) {
        m_kv->OnKeyDown(vk, 1, 0);
        EXPECT_FALSE(m_kv->m_core.m_canvas.m_bInvert) << vk;
        EXPECT_EQ(m_kv->m_core.m_canvas.m_crBack, 0u) << vk;
        EXPECT_EQ(m_kv->m_core.m_canvas.m_nHue, 180) << vk;
    }
    EXPECT_EQ(CountPosted(WMU_TOGGLE_CTRL), 0);
    // Had any of them tapped, this tap would pair with it and set a tempo.
    m_kv->OnTap(::GetTickCount() + 500);
    EXPECT_EQ(theShared.m_nStaticUser, 77) << "only Enter taps";
}

TEST_F(DisplayKeysTest, CharactersToggleMonoInvertAndShapes)
{
    LRESULT lr = -1;
    ASSERT_TRUE(m_kv->ProcessWindowMessage(NULL, WM_CHAR, '/', 1, lr));
    EXPECT_TRUE(m_kv->m_core.m_canvas.m_bMono);
    m_kv->OnChar('/', 1, 0);
    EXPECT_FALSE(m_kv->m_core.m_canvas.m_bMono);

    m_kv->OnChar('\\', 1, 0);
    EXPECT_TRUE(m_kv->m_core.m_canvas.m_bInvert);
    EXPECT_EQ(m_kv->m_core.m_canvas.m_crBack, 0xFFFFFFu);
    m_kv->OnChar('\\', 1, 0);
    EXPECT_FALSE(m_kv->m_core.m_canvas.m_bInvert);
    EXPECT_EQ(m_kv->m_core.m_canvas.m_crBack, 0u);

    ASSERT_TRUE(m_kv->m_core.m_canvas.m_bDrawShapes);
    m_kv->OnChar('^', 1, 0);
    EXPECT_FALSE(m_kv->m_core.m_canvas.m_bDrawShapes);
    m_kv->OnChar('^', 1, 0);
    EXPECT_TRUE(m_kv->m_core.m_canvas.m_bDrawShapes);

    m_kv->OnChar('a', 1, 0);
    m_kv->OnChar('|', 1, 0);
    EXPECT_FALSE(m_kv->m_core.m_canvas.m_bMono);
    EXPECT_FALSE(m_kv->m_core.m_canvas.m_bInvert);
    EXPECT_TRUE(m_kv->m_core.m_canvas.m_bDrawShapes);
}

// ---- Commands through the message map -------------------------------------------------------

TEST_F(DisplayKeysTest, HueCommandsStepThroughTheMessageMap)
{
    ASSERT_EQ(m_kv->m_core.m_canvas.m_nHue, 180);
    Command(0x804A);
    EXPECT_EQ(m_kv->m_core.m_canvas.m_nHue, 181);
    Command(0x804B);
    EXPECT_EQ(m_kv->m_core.m_canvas.m_nHue, 191);
    Command(0x804C);
    EXPECT_EQ(m_kv->m_core.m_canvas.m_nHue, 190);
    Command(0x804D);
    EXPECT_EQ(m_kv->m_core.m_canvas.m_nHue, 180);

    // A menu-style command (HIWORD 0) reaches the same handler.
    LRESULT lr = -1;
    ASSERT_TRUE(m_kv->ProcessWindowMessage(NULL, WM_COMMAND, MAKEWPARAM(0x804E, 0), 0, lr));
    EXPECT_EQ(m_kv->m_core.m_canvas.m_nHueRange, 6);
}

TEST_F(DisplayKeysTest, HueWrapsPastItsTop)
{
    m_kv->m_core.m_canvas.m_nHue = 32767;
    Command(0x804A);
    EXPECT_EQ(m_kv->m_core.m_canvas.m_nHue, 1);
}

TEST_F(DisplayKeysTest, WhitenessMaximumCannotFallBelowTheMinimum)
{
    ASSERT_EQ(m_kv->m_core.m_canvas.m_nWhiteMax, 5);
    ASSERT_EQ(m_kv->m_core.m_canvas.m_nWhiteMin, 0);
    Command(0x8049);   // Shift+Ctrl+F7
    EXPECT_EQ(m_kv->m_core.m_canvas.m_nWhiteMax, 0);
    EXPECT_EQ(m_kv->m_core.m_canvas.m_nWhiteRange, 1);
    Command(0x8047);   // Ctrl+F7
    EXPECT_EQ(m_kv->m_core.m_canvas.m_nWhiteMax, 10);
    EXPECT_EQ(m_kv->m_core.m_canvas.m_nWhiteRange, 10);
}

TEST_F(DisplayKeysTest, ControlWindowCommandAsksTheMainThread)
{
    theShared.m_bCtrlHidden = FALSE;
    Command(ID_CONTROL_WINDOW);
    EXPECT_EQ(CountPosted(WMU_TOGGLE_CTRL), 1);
    EXPECT_FALSE(theShared.m_bCtrlHidden) << "the main thread owns the flag";
}

} // namespace
