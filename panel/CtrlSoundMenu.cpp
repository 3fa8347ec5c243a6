// CCtrlWindow: the Sound menu, the input device and the sensitivity the user chooses, and their step keys.
#include "panel/CtrlWindow.h"
#include "app/KalvoraApp.h"
#include "engine/KvMessages.h"
#include "sound/WaveInputs.h"
#include "res/resource.h"

namespace {
const int kSoundMenu = 3;      // File, Pattern, Arrange, Sound, Window
// Sensitivities in menu order: the fixed gains, then the automatic one.
const int kSensitivities[] = { 1, 2, 4, 8, 0 };
const int kSensitivityCount = sizeof(kSensitivities) / sizeof(kSensitivities[0]);

int SensitivityIndex(int nMode)
{
    for (int i = 0; i < kSensitivityCount; i++)
        if (kSensitivities[i] == nMode)
            return i;
    return 0;
}

// A device name as a menu text: an ampersand in it is shown, not taken for a mnemonic.
CString MenuText(const CString& strName)
{
    CString strText;
    char sz[2] = { 0, 0 };
    for (LPCSTR p = strName; *p; p++) {
        sz[0] = *p;
        strText += *p == '&' ? "&&" : sz;
    }
    return strText;
}
}

// The devices are listed afresh at every opening, after "Default Device": one plugged in since is offered.
void CCtrlWindow::OnInitMenuPopup(HMENU hMenu)
{
    HMENU hBar = GetMenu();
    if (hBar && hMenu == ::GetSubMenu(hBar, kSoundMenu))
        FillInputMenu(hMenu);
    CFrameWnd::OnInitMenuPopup(hMenu);
}

void CCtrlWindow::FillInputMenu(HMENU hSoundMenu)
{
    for (UINT nID = ID_INPUT_FIRST; nID <= ID_INPUT_LAST; nID++)
        ::DeleteMenu(hSoundMenu, nID, MF_BYCOMMAND);
    const int nCount = CWaveInputs::Count();
    for (int n = 0; n < nCount; n++) {
        CString strName;
        if (!CWaveInputs::Name((UINT)n, strName))
            strName.Format("Device %d", n + 1);
        ::InsertMenuA(hSoundMenu, (UINT)(1 + n), MF_BYPOSITION | MF_STRING, ID_INPUT_FIRST + n, MenuText(strName));
    }
}

void CCtrlWindow::OnInputCommand(UINT nID)
{
    ChooseInput(nID == ID_INPUT_DEFAULT ? WAVE_MAPPER : nID - ID_INPUT_FIRST);
}

// The name is what the settings file keeps: device numbers change when devices come and go.
void CCtrlWindow::ChooseInput(UINT uDevice)
{
    CString strName;
    if (uDevice != WAVE_MAPPER && !CWaveInputs::Name(uDevice, strName))
        return;   // gone since the menu was made
    theApp.m_strInputDevice = strName;
    theApp.m_uInputDevice = uDevice;
    theApp.PostToRenderThread(WMU_SET_INPUT, (WPARAM)uDevice, 0);
}

void CCtrlWindow::OnNextInput()
{
    // The inputs in menu order: the default, then the system's devices.
    const int nChoices = 1 + CWaveInputs::Count();
    const UINT uNow = theApp.m_uInputDevice;
    const int nNow = uNow == WAVE_MAPPER ? 0 : (int)uNow + 1;
    const int nNext = (nNow + 1) % nChoices;
    ChooseInput(nNext == 0 ? WAVE_MAPPER : (UINT)(nNext - 1));
}

void CCtrlWindow::OnSensitivityCommand(UINT nID)
{
    ChooseSensitivity((int)(nID - ID_SENSITIVITY_FIRST));
}

void CCtrlWindow::ChooseSensitivity(int nIndex)
{
    theApp.m_nSensitivity = kSensitivities[nIndex];
    theApp.PostToRenderThread(WMU_SET_SENSITIVITY, (WPARAM)theApp.m_nSensitivity, 0);
}

void CCtrlWindow::OnNextSensitivity()
{
    ChooseSensitivity((SensitivityIndex(theApp.m_nSensitivity) + 1) % kSensitivityCount);
}

void CCtrlWindow::OnUpdateInput(CCmdUI* pCmdUI)
{
    const UINT uDevice = pCmdUI->m_nID == ID_INPUT_DEFAULT ? WAVE_MAPPER : pCmdUI->m_nID - ID_INPUT_FIRST;
    pCmdUI->SetCheck(uDevice == theApp.m_uInputDevice);
}

void CCtrlWindow::OnUpdateSensitivity(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck((int)(pCmdUI->m_nID - ID_SENSITIVITY_FIRST) == SensitivityIndex(theApp.m_nSensitivity));
}
