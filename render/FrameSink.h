// CFrameSink: where the frames of an offline render go: raw to standard output, BMP files, a hash or a level each.
#pragma once
#include <afx.h>
#include <stdio.h>
#include "patterns/DibCanvas.h"
#include "render/RenderOptions.h"

class CFrameSink
{
public:
    // FALSE with m_strError set when the output can't be used.
    BOOL Open(const CRenderOptions& opt);
    // One frame: its picture and the analyser's level (0..255) for the sound it was drawn from.
    BOOL Write(const CDibCanvas& canvas, int nLevel, DWORD dwFrame);
    BOOL Finish();

    // FNV-1a, 64 bits: enough to tell frames apart, and the same on every machine.
    static unsigned long long Hash(const BYTE* p, DWORD dwBytes);

    CString m_strError;

private:
    BOOL WriteBmp(const CDibCanvas& canvas, DWORD dwFrame);

    CRenderOptions::Output m_output = CRenderOptions::OUTPUT_RAW;
    CString m_strFolder;
    FILE* m_pOut = NULL;
};
