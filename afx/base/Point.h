// CPoint: a POINT with constructors, as handlers receive mouse positions.
#pragma once
#include <windows.h>

class CPoint : public POINT
{
public:
    CPoint() { x = 0; y = 0; }
    CPoint(int nX, int nY) { x = nX; y = nY; }
};
