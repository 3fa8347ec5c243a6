// CString: formatting and resource loading.
#include "String.h"
#include <cstdarg>
#include <cstdio>
#include <vector>

void CString::Format(LPCSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(NULL, 0, pszFormat, copy);
    va_end(copy);
    if (n < 0) {
        m_str.clear();
    } else {
        std::vector<char> buf((size_t)n + 1);
        vsnprintf(buf.data(), buf.size(), pszFormat, args);
        m_str.assign(buf.data(), (size_t)n);
    }
    va_end(args);
}

BOOL CString::LoadString(UINT nID)
{
    char buf[1024];
    int n = ::LoadStringA(::GetModuleHandleA(NULL), nID, buf, sizeof(buf));
    m_str.assign(buf, n > 0 ? (size_t)n : 0);
    return n > 0;
}

int CString::Find(char ch) const
{
    size_t pos = m_str.find(ch);
    return pos == std::string::npos ? -1 : (int)pos;
}

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    CString r;
    r.m_str = m_str.substr(0, (size_t)nCount);
    return r;
}

void CString::TrimRight()
{
    size_t end = m_str.find_last_not_of(" \t\r\n");
    m_str.erase(end == std::string::npos ? 0 : end + 1);
}
