// Records of one type in what a drawing asked of GDI: the metafile a recording context made, closed and counted.
#pragma once
#include <windows.h>

struct SEmfRecordCount {
    DWORD iType;
    int nFound;
};

inline int CALLBACK CountEmfRecord(HDC, HANDLETABLE*, const ENHMETARECORD* pRecord, int, LPARAM lParam)
{
    SEmfRecordCount* pCount = reinterpret_cast<SEmfRecordCount*>(lParam);
    pCount->nFound += pRecord->iType == pCount->iType;
    return 1;
}

// Ends the recording on hEmf and gives how many records of iType it holds.
inline int CloseAndCountRecords(HDC hEmf, DWORD iType)
{
    HENHMETAFILE hMeta = ::CloseEnhMetaFile(hEmf);
    SEmfRecordCount count = { iType, 0 };
    ::EnumEnhMetaFile(NULL, hMeta, CountEmfRecord, &count, NULL);
    ::DeleteEnhMetaFile(hMeta);
    return count.nFound;
}
