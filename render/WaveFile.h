// CWaveFile: reads the sound an offline render is made of: 16-bit mono PCM at 11025 samples per second.
#pragma once
#include <afx.h>
#include "core/MusicAnalyzer.h"

class CWaveFile
{
public:
    enum { RATE = CMusicAnalyzer::SAMPLE_RATE, BLOCK = CMusicAnalyzer::BUFFER_SAMPLES };

    CWaveFile() : m_hFile(INVALID_HANDLE_VALUE), m_qwFileSize(0), m_dwDataLeft(0), m_dwBlocks(0) {}
    ~CWaveFile() { Close(); }
    CWaveFile(const CWaveFile&) = delete;
    CWaveFile& operator=(const CWaveFile&) = delete;

    // Opens and checks a file; FALSE with m_strError saying what is wrong in words a user can act on.
    BOOL Open(LPCSTR pszPath);
    void Close();
    // The next whole block of 200 samples; FALSE at the end (a last partial block is not sound for a frame).
    BOOL ReadBlock(short* pSamples);
    DWORD BlockCount() const { return m_dwBlocks; }

    CString m_strError;

private:
    BOOL Read(void* p, DWORD dwBytes);
    BOOL Skip(DWORD dwBytes);
    unsigned long long BytesLeft() const;
    BOOL ReadChunks(LPCSTR pszPath);
    BOOL ReadFormat(DWORD dwSize, LPCSTR pszPath);
    BOOL Fail(LPCSTR pszFormat, LPCSTR pszPath, LPCSTR pszDetail = "");

    HANDLE m_hFile;
    unsigned long long m_qwFileSize;
    DWORD m_dwDataLeft;
    DWORD m_dwBlocks;
};
