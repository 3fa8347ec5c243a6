// CFrameSink: writing frames as raw pixels, BMP files, hashes or levels.
#include "render/FrameSink.h"
#include <fcntl.h>
#include <io.h>

BOOL CFrameSink::Open(const CRenderOptions& opt)
{
    m_output = opt.m_output;
    m_pOut = stdout;
    if (m_output == CRenderOptions::OUTPUT_RAW) {
        // Frames are bytes: no line-end translation, and a buffer large enough for whole rows.
        _setmode(_fileno(stdout), _O_BINARY);
        setvbuf(stdout, NULL, _IOFBF, 1 << 20);
    } else if (m_output == CRenderOptions::OUTPUT_BMP) {
        m_strFolder = opt.m_strBmpFolder;
        DWORD dwAttr = ::GetFileAttributesA(m_strFolder);
        if (dwAttr == INVALID_FILE_ATTRIBUTES && !::CreateDirectoryA(m_strFolder, NULL)) {
            m_strError.Format("%s: the folder can't be made", (LPCSTR)m_strFolder);
            return FALSE;
        }
    }
    return TRUE;
}

unsigned long long CFrameSink::Hash(const BYTE* p, DWORD dwBytes)
{
    unsigned long long h = 14695981039346656037ull;
    for (DWORD i = 0; i < dwBytes; i++) {
        h ^= p[i];
        h *= 1099511628211ull;
    }
    return h;
}

BOOL CFrameSink::WriteBmp(const CDibCanvas& canvas, DWORD dwFrame)
{
    CString strPath;
    strPath.Format("%s\\frame-%06lu.bmp", (LPCSTR)m_strFolder, (unsigned long)dwFrame);
    FILE* f = fopen(strPath, "wb");
    if (f == NULL) {
        m_strError.Format("%s: can't be written", (LPCSTR)strPath);
        return FALSE;
    }
    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(bih);
    bih.biWidth = canvas.Width();
    bih.biHeight = -canvas.Height();
    bih.biPlanes = 1;
    bih.biBitCount = 32;
    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42;   // "BM"
    bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
    bfh.bfSize = bfh.bfOffBits + canvas.ByteCount();
    BOOL ok = fwrite(&bfh, sizeof(bfh), 1, f) == 1 && fwrite(&bih, sizeof(bih), 1, f) == 1 &&
              fwrite(canvas.Bits(), canvas.ByteCount(), 1, f) == 1;
    ok = fclose(f) == 0 && ok;
    if (!ok)
        m_strError.Format("%s: can't be written", (LPCSTR)strPath);
    return ok;
}

BOOL CFrameSink::Write(const CDibCanvas& canvas, int nLevel, DWORD dwFrame)
{
    switch (m_output) {
    case CRenderOptions::OUTPUT_BMP:
        return WriteBmp(canvas, dwFrame);
    case CRenderOptions::OUTPUT_HASHES:
        fprintf(m_pOut, "%016llx\n", Hash(canvas.Bits(), canvas.ByteCount()));
        break;
    case CRenderOptions::OUTPUT_LEVELS:
        fprintf(m_pOut, "%d\n", nLevel);
        break;
    default:
        if (fwrite(canvas.Bits(), canvas.ByteCount(), 1, m_pOut) != 1) {
            m_strError = "standard output can't be written (was the reader closed?)";
            return FALSE;
        }
        break;
    }
    return TRUE;
}

BOOL CFrameSink::Finish()
{
    if (m_pOut && fflush(m_pOut) != 0) {
        m_strError = "standard output can't be written";
        return FALSE;
    }
    return TRUE;
}
