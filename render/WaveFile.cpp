// CWaveFile: RIFF chunks, the format check and block reading.
#include "render/WaveFile.h"

namespace {
const WORD kFormatPcm = 1;
const WORD kFormatExtensible = 0xFFFE;

// The system's text for the last error, without its line end.
CString LastErrorText()
{
    char szText[256] = "";
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, ::GetLastError(), 0, szText,
                     sizeof(szText), NULL);
    CString str = szText;
    str.TrimRight();
    return str;
}
}

BOOL CWaveFile::Fail(LPCSTR pszFormat, LPCSTR pszPath, LPCSTR pszDetail)
{
    m_strError.Format(pszFormat, pszPath, pszDetail);
    Close();
    return FALSE;
}

void CWaveFile::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_dwDataLeft = 0;
}

BOOL CWaveFile::Read(void* p, DWORD dwBytes)
{
    DWORD dwRead = 0;
    return ::ReadFile(m_hFile, p, dwBytes, &dwRead, NULL) && dwRead == dwBytes;
}

BOOL CWaveFile::Skip(DWORD dwBytes)
{
    return ::SetFilePointer(m_hFile, (LONG)dwBytes, NULL, FILE_CURRENT) != INVALID_SET_FILE_POINTER;
}

BOOL CWaveFile::ReadFormat(DWORD dwSize, LPCSTR pszPath)
{
    struct { WORD wTag, wChannels; DWORD dwRate, dwBytesPerSec; WORD wAlign, wBits; } fmt;
    if (dwSize < sizeof(fmt) || !Read(&fmt, sizeof(fmt)) || !Skip(dwSize - sizeof(fmt) + (dwSize & 1)))
        return Fail("%s: the wave format chunk is damaged%s", pszPath);
    if ((fmt.wTag != kFormatPcm && fmt.wTag != kFormatExtensible) || fmt.wChannels != 1 || fmt.dwRate != RATE ||
        fmt.wBits != 16) {
        CString strFound;
        strFound.Format(" (this one: format %u, %u channel(s), %lu Hz, %u bit)", fmt.wTag, fmt.wChannels,
                        (unsigned long)fmt.dwRate, fmt.wBits);
        return Fail("%s: not 16-bit mono PCM at 11025 Hz%s; scripts/render.sh converts any sound file", pszPath,
                    strFound);
    }
    return TRUE;
}

BOOL CWaveFile::Open(LPCSTR pszPath)
{
    Close();
    m_hFile = ::CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return Fail("%s: %s", pszPath, LastErrorText());
    const DWORD dwFileSize = ::GetFileSize(m_hFile, NULL);
    char riff[12];
    if (!Read(riff, sizeof(riff)) || memcmp(riff, "RIFF", 4) != 0 || memcmp(riff + 8, "WAVE", 4) != 0)
        return Fail("%s: not a WAV file%s", pszPath);
    BOOL bFormat = FALSE;
    for (;;) {
        char id[4];
        DWORD dwSize;
        if (!Read(id, 4) || !Read(&dwSize, 4))
            return Fail(bFormat ? "%s: no sound data%s" : "%s: no wave format%s", pszPath);
        if (memcmp(id, "fmt ", 4) == 0) {
            if (!ReadFormat(dwSize, pszPath))
                return FALSE;
            bFormat = TRUE;
        } else if (memcmp(id, "data", 4) == 0) {
            if (!bFormat)
                return Fail("%s: the sound data comes before its format%s", pszPath);
            const DWORD dwHere = ::SetFilePointer(m_hFile, 0, NULL, FILE_CURRENT);
            if (dwSize > dwFileSize - dwHere)
                return Fail("%s: the file is cut short: it ends before the end of its sound data%s", pszPath);
            m_dwDataLeft = dwSize;
            m_dwBlocks = dwSize / (2 * BLOCK);
            return TRUE;
        } else if (!Skip(dwSize + (dwSize & 1))) {
            return Fail("%s: a damaged chunk%s", pszPath);
        }
    }
}

BOOL CWaveFile::ReadBlock(short* pSamples)
{
    const DWORD dwBytes = 2 * BLOCK;
    if (m_hFile == INVALID_HANDLE_VALUE || m_dwDataLeft < dwBytes || !Read(pSamples, dwBytes))
        return FALSE;
    m_dwDataLeft -= dwBytes;
    return TRUE;
}
