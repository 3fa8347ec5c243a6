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

// Chunk sizes are unsigned 32-bit numbers: with a high part of 0 the distance is a 64-bit one, so a size of
// 2 GB or more moves forward, never back onto a chunk already read.
BOOL CWaveFile::Skip(DWORD dwBytes)
{
    LONG lHigh = 0;
    ::SetLastError(NO_ERROR);
    return ::SetFilePointer(m_hFile, (LONG)dwBytes, &lHigh, FILE_CURRENT) != INVALID_SET_FILE_POINTER ||
           ::GetLastError() == NO_ERROR;
}

unsigned long long CWaveFile::BytesLeft() const
{
    LONG lHigh = 0;
    const DWORD dwLow = ::SetFilePointer(m_hFile, 0, &lHigh, FILE_CURRENT);
    const unsigned long long qwHere = ((unsigned long long)(DWORD)lHigh << 32) | dwLow;
    return qwHere < m_qwFileSize ? m_qwFileSize - qwHere : 0;
}

BOOL CWaveFile::ReadFormat(DWORD dwSize, LPCSTR pszPath)
{
    struct { WORD wTag, wChannels; DWORD dwRate, dwBytesPerSec; WORD wAlign, wBits; } fmt;
    if (dwSize < sizeof(fmt) || dwSize > BytesLeft() || !Read(&fmt, sizeof(fmt)) ||
        !Skip(dwSize - sizeof(fmt) + (dwSize & 1)))
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

// Every chunk is checked against what the file has left before it is read or stepped over: each step then
// moves forward and the walk ends at the end of the file at the latest.
BOOL CWaveFile::ReadChunks(LPCSTR pszPath)
{
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
            if (dwSize > BytesLeft())
                return Fail("%s: the file is cut short: it ends before the end of its sound data%s", pszPath);
            m_dwDataLeft = dwSize;
            m_dwBlocks = dwSize / (2 * BLOCK);
            return TRUE;
        } else if (dwSize > BytesLeft() || !Skip(dwSize) || !Skip(dwSize & 1)) {
            return Fail("%s: a damaged chunk: it claims more bytes than the file has left%s", pszPath);
        }
    }
}

BOOL CWaveFile::Open(LPCSTR pszPath)
{
    Close();
    m_hFile = ::CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return Fail("%s: %s", pszPath, LastErrorText());
    DWORD dwHigh = 0;
    const DWORD dwLow = ::GetFileSize(m_hFile, &dwHigh);
    m_qwFileSize = ((unsigned long long)dwHigh << 32) | dwLow;
    char riff[12];
    if (!Read(riff, sizeof(riff)) || memcmp(riff, "RIFF", 4) != 0 || memcmp(riff + 8, "WAVE", 4) != 0)
        return Fail("%s: not a WAV file%s", pszPath);
    return ReadChunks(pszPath);
}

BOOL CWaveFile::ReadBlock(short* pSamples)
{
    const DWORD dwBytes = 2 * BLOCK;
    if (m_hFile == INVALID_HANDLE_VALUE || m_dwDataLeft < dwBytes || !Read(pSamples, dwBytes))
        return FALSE;
    m_dwDataLeft -= dwBytes;
    return TRUE;
}
