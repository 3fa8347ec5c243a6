// F5..F10 reach the display's colour parameters from both windows, through their accelerator tables and the render thread.
#include <gtest/gtest.h>
#include "shared/SharedState.h"
#include "app/KalvoraApp.h"
#include "display/RenderLink.h"
#include "display/Kalvora.h"
#include "display/ProThread.h"
#include "panel/CtrlWindow.h"
#include "res/resource.h"

namespace {

const LPARAM kKeyData = 0x003F0001;   // repeat 1, scan code of F5's row; only the virtual key matters

template <typename Pred>
bool WaitFor(Pred pred, DWORD dwTimeoutMs = 10000)
{
    DWORD dwStart = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        ::Sleep(10);
    }
    return true;
}

struct ColourState {
    int hue, hueRange, whiteMax, whiteMin, brightMax, brightMin;
    bool operator==(const ColourState& o) const
    {
        return hue == o.hue && hueRange == o.hueRange && whiteMax == o.whiteMax && whiteMin == o.whiteMin &&
               brightMax == o.brightMax && brightMin == o.brightMin;
    }
};

ColourState Read(const CKalvora* p)
{
    const CPatternCanvas& c = p->m_core.m_canvas;
    return { c.m_nHue, c.m_nHueRange, c.m_nWhiteMax, c.m_nWhiteMin, c.m_nBrightMax, c.m_nBrightMin };
}

class ColourKeys : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pCtrl = new CCtrlWindow;
        ASSERT_TRUE(m_pCtrl->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW));
        MSG msg;   // the window asks for the display itself; the test starts it explicitly
        ::PeekMessageA(&msg, m_pCtrl->m_hWnd, WMU_START_DISPLAY, WMU_START_DISPLAY, PM_REMOVE);
        ASSERT_TRUE(theRenderLink.Start());
        ASSERT_TRUE(WaitFor([] { return theRenderLink.m_pThread && theRenderLink.m_pThread->m_pDisplay; }))
            << "display never created";
        m_pDisplay = theRenderLink.m_pThread->m_pDisplay;
    }

    void TearDown() override
    {
        theRenderLink.Stop();
        if (m_pCtrl)
            m_pCtrl->DestroyWindow();   // deletes itself
    }

    // A key as the control window's thread would see it: accelerators first, then the window.
    void PressOnControl(UINT vk)
    {
        MSG msg = { m_pCtrl->m_hWnd, WM_KEYDOWN, vk, kKeyData, 0, { 0, 0 } };
        if (!theApp.PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    void PressOnDisplay(UINT vk) { ::PostMessageA(m_pDisplay->m_hWnd, WM_KEYDOWN, vk, kKeyData); }

    CCtrlWindow* m_pCtrl = nullptr;
    CKalvora* m_pDisplay = nullptr;
};

TEST_F(ColourKeys, EachPlainFunctionKeyStepsItsParameterFromBothWindows)
{
    // The brightness maximum starts at its cap of 100, where F9 could not show itself: Shift+Ctrl+F9
    // (its command, as the accelerator sends it) first takes it down by 10.
    ColourState s = Read(m_pDisplay);
    ASSERT_EQ(s.brightMax, 100);
    s.brightMax = 90;
    ::SendMessageA(m_pCtrl->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_COLOR_FIRST + 3, 1), 0);
    ASSERT_TRUE(WaitFor([&] { return Read(m_pDisplay) == s; })) << "Shift+Ctrl+F9 did not reach the display";

    struct Step { UINT vk; int ColourState::*field; };
    // Plain keys add one.
    const Step steps[] = {
        { VK_F5, &ColourState::hue },        { VK_F6, &ColourState::hueRange },
        { VK_F7, &ColourState::whiteMax },   { VK_F8, &ColourState::whiteMin },
        { VK_F9, &ColourState::brightMax },  { VK_F10, &ColourState::brightMin },
    };
    for (const Step& step : steps) {
        ColourState expected = s;
        expected.*step.field += 1;
        PressOnControl(step.vk);
        ASSERT_TRUE(WaitFor([&] { return Read(m_pDisplay) == expected; }))
            << "key 0x" << std::hex << step.vk << " from the control window did not reach the display";
        s = expected;

        expected.*step.field += 1;
        PressOnDisplay(step.vk);
        ASSERT_TRUE(WaitFor([&] { return Read(m_pDisplay) == expected; }))
            << "key 0x" << std::hex << step.vk << " on the display did not step its parameter";
        s = expected;
    }
}

TEST_F(ColourKeys, KeysThatAreNoAcceleratorGoToTheDisplayAsPlainKeys)
{
    // Home on the control window acts on the display as if pressed there: it inverts the colours.
    ASSERT_FALSE(m_pDisplay->m_core.m_canvas.m_bInvert);
    PressOnControl(VK_HOME);
    EXPECT_TRUE(WaitFor([&] { return m_pDisplay->m_core.m_canvas.m_bInvert && m_pDisplay->m_core.m_canvas.m_crBack == 0xFFFFFF; }));
}

}  // namespace
