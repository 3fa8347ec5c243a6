// CDataExchange and the DDX/DDV routines the dialogs use, with the usual messages.
#include "DataExchange.h"
#include "Dialog.h"
#include "WinApp.h"
#include <cstdio>

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    m_nIDLast = nIDC;
    return ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
}

void CDataExchange::Fail()
{
    m_bFailed = TRUE;
    HWND hCtrl = ::GetDlgItem(m_pDlgWnd->m_hWnd, m_nIDLast);
    if (hCtrl) {
        ::SetFocus(hCtrl);
        ::SendMessageA(hCtrl, EM_SETSEL, 0, -1);
    }
}

namespace {
// Whole unsigned decimal number with optional surrounding blanks, fitting 32 bits.
BOOL ParseUInt(const char* psz, UINT& value)
{
    while (*psz == ' ' || *psz == '\t')
        psz++;
    if (*psz < '0' || *psz > '9')
        return FALSE;
    unsigned long long v = 0;
    while (*psz >= '0' && *psz <= '9') {
        v = v * 10 + (unsigned)(*psz++ - '0');
        if (v > 0xFFFFFFFFull)
            return FALSE;
    }
    while (*psz == ' ' || *psz == '\t')
        psz++;
    if (*psz != '\0')
        return FALSE;
    value = (UINT)v;
    return TRUE;
}
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value)
{
    if (pDX->m_bFailed)
        return;
    HWND hCtrl = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        char buf[32];
        snprintf(buf, sizeof(buf), "%u", value);
        ::SetWindowTextA(hCtrl, buf);
        return;
    }
    char buf[64] = "";
    ::GetWindowTextA(hCtrl, buf, sizeof(buf));
    if (!ParseUInt(buf, value)) {
        AfxMessageBox("Please enter a positive integer.", MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal)
{
    if (pDX->m_bFailed || !pDX->m_bSaveAndValidate)
        return;
    if (value < minVal || value > maxVal) {
        char buf[128];
        snprintf(buf, sizeof(buf), "Please enter an integer between %u and %u.", minVal, maxVal);
        AfxMessageBox(buf, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}
