// A held pen and brush go to the device context only when they change, and the DC's own come back at the end.
#include <gtest/gtest.h>
#include <afxwin.h>
#include "patterns/HeldSelection.h"
#include "patterns/DibCanvas.h"
#include "EmfRecords.h"

TEST(HeldSelection, SelectsOnlyChangesAndGivesTheDcItsOwnObjectsBack)
{
    HDC hEmf = ::CreateEnhMetaFileA(NULL, NULL, NULL, NULL);
    ASSERT_NE(hEmf, nullptr);
    const HGDIOBJ hOwnPen = ::GetCurrentObject(hEmf, OBJ_PEN);
    const HGDIOBJ hOwnBrush = ::GetCurrentObject(hEmf, OBJ_BRUSH);
    CPen penRed, penBlue;
    CBrush brushRed;
    penRed.CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    penBlue.CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    brushRed.CreateSolidBrush(RGB(255, 0, 0));
    CDC dc;
    dc.Attach(hEmf);
    {
        CHeldSelection sel(&dc);
        sel.UsePen(&penRed);        // 1
        sel.UseBrush(&brushRed);    // 2
        sel.UsePen(&penRed);        // held: nothing
        sel.UseBrush(&brushRed);    // held: nothing
        sel.UsePen(&penBlue);       // 3
        EXPECT_EQ(::GetCurrentObject(hEmf, OBJ_PEN), penBlue.m_hObject);
    }                               // 4 and 5: the DC's own brush and pen
    EXPECT_EQ(::GetCurrentObject(hEmf, OBJ_PEN), hOwnPen);
    EXPECT_EQ(::GetCurrentObject(hEmf, OBJ_BRUSH), hOwnBrush);
    {
        CHeldSelection sel(&dc);    // nothing used: nothing selected, nothing given back
    }
    dc.Detach();
    EXPECT_EQ(CloseAndCountRecords(hEmf, EMR_SELECTOBJECT), 5);
}

// The DC's own pen and brush take the colours given; afterwards they have their own colours back.
TEST(HeldSelection, DcPenAndBrushPaintInTheirColoursAndAreGivenBack)
{
    CDibCanvas dib;
    ASSERT_TRUE(dib.Create(40, 40));
    CDC* pDC = dib.DC();
    const HDC hdc = pDC->GetSafeHdc();
    pDC->PatBlt(0, 0, 40, 40, BLACKNESS);
    ::SetDCPenColor(hdc, RGB(1, 2, 3));
    ::SetDCBrushColor(hdc, RGB(4, 5, 6));
    {
        CHeldSelection sel(pDC);
        sel.UseDCPen(RGB(255, 0, 0));
        sel.UseDCBrush(RGB(0, 0, 255));
        pDC->Ellipse(0, 0, 40, 40);
    }
    ::GdiFlush();
    const DWORD* pBits = (const DWORD*)dib.Bits();
    EXPECT_EQ(pBits[20 * 40 + 0] & 0xFFFFFF, 0xFF0000u) << "outline at the left edge, middle row";   // 0xRRGGBB
    EXPECT_EQ(pBits[20 * 40 + 20] & 0xFFFFFF, 0x0000FFu) << "inside";
    EXPECT_EQ(::GetDCPenColor(hdc), RGB(1, 2, 3));
    EXPECT_EQ(::GetDCBrushColor(hdc), RGB(4, 5, 6));
}
