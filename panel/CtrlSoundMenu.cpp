// CCtrlWindow: the Sound menu, the input and the sensitivity the user chooses, and their step keys.
#include "panel/CtrlWindow.h"
#include "shared/SharedState.h"
#include "display/RenderLink.h"
#include "shared/KvMessages.h"
#include "sound/WasapiDevice.h"
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

// The input a Sound menu command stands for; FALSE for a device gone since the menu was made.
BOOL InputOfCommand(UINT nID, CInputName& input)
{
    if (nID == ID_INPUT_DEFAULT)
        input = CInputName::Default();
    else if (nID == ID_INPUT_LOOPBACK)
        input = CInputName::Loopback();
    else
        return CWaveInputs::InputOf(nID - ID_INPUT_FIRST, input);
    return TRUE;
}
}

// Whether this system records what it plays is asked once: the answer does not change while the program runs.
BOOL CCtrlWindow::LoopbackAvailable()
{
    static int s_nAvailable = -1;
    if (s_nAvailable < 0)
        s_nAvailable = CWasapiDevice::LoopbackSupported() ? 1 : 0;
    return s_nAvailable;
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
    ::EnableMenuItem(hSoundMenu, ID_INPUT_LOOPBACK, MF_BYCOMMAND | (LoopbackAvailable() ? MF_ENABLED : MF_GRAYED));
}

void CCtrlWindow::OnInputCommand(UINT nID)
{
    CInputName input;
    if (InputOfCommand(nID, input))
        ChooseInput(input);
}

// Greyed where the system cannot record its output; a command sent all the same changes nothing.
void CCtrlWindow::OnLoopbackCommand()
{
    if (LoopbackAvailable())
        ChooseInput(CInputName::Loopback());
}

// The name is what the settings file keeps and the display looks for: device numbers change when devices come
// and go. A display that could not start is started on it.
void CCtrlWindow::ChooseInput(const CInputName& input)
{
    theShared.m_input = input;
    if (RetryDisplay())
        return;
    theRenderLink.PostSetInput(input);
}

void CCtrlWindow::OnNextInput()
{
    // The inputs in menu order: the default, the system's devices, then what the computer plays.
    CInputName choices[2 + CWaveInputs::MAX_DEVICES];
    int nChoices = 0;
    choices[nChoices++] = CInputName::Default();
    const int nCount = CWaveInputs::Count();
    for (int n = 0; n < nCount; n++)
        if (CWaveInputs::InputOf((UINT)n, choices[nChoices]))
            nChoices++;
    if (LoopbackAvailable())
        choices[nChoices++] = CInputName::Loopback();
    int nNow = 0;
    while (nNow < nChoices && choices[nNow] != theShared.m_input)
        nNow++;
    // A chosen input that is missing now steps to the first one.
    ChooseInput(choices[nNow < nChoices ? (nNow + 1) % nChoices : 0]);
}

void CCtrlWindow::OnSensitivityCommand(UINT nID)
{
    ChooseSensitivity((int)(nID - ID_SENSITIVITY_FIRST));
}

void CCtrlWindow::ChooseSensitivity(int nIndex)
{
    theShared.m_nSensitivity = kSensitivities[nIndex];
    theRenderLink.Post(WMU_SET_SENSITIVITY, (WPARAM)theShared.m_nSensitivity, 0);
}

void CCtrlWindow::OnNextSensitivity()
{
    ChooseSensitivity((SensitivityIndex(theShared.m_nSensitivity) + 1) % kSensitivityCount);
}

void CCtrlWindow::OnUpdateInput(CCmdUI* pCmdUI)
{
    CInputName input;
    pCmdUI->SetCheck(InputOfCommand(pCmdUI->m_nID, input) && input == theShared.m_input);
}

void CCtrlWindow::OnUpdateSensitivity(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck((int)(pCmdUI->m_nID - ID_SENSITIVITY_FIRST) == SensitivityIndex(theShared.m_nSensitivity));
}
