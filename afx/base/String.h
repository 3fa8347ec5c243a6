// CString: the small string type the program needs (formatting, resource strings, concatenation).
#pragma once
#include <windows.h>
#include <string>

class CString
{
public:
    CString() {}
    CString(LPCSTR psz) : m_str(psz ? psz : "") {}
    CString(const CString& other) = default;
    CString& operator=(const CString& other) = default;
    CString& operator=(LPCSTR psz) { m_str = psz ? psz : ""; return *this; }

    operator LPCSTR() const { return m_str.c_str(); }
    int GetLength() const { return (int)m_str.size(); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }

    CString& operator+=(LPCSTR psz) { m_str += (psz ? psz : ""); return *this; }
    friend CString operator+(const CString& a, LPCSTR b) { CString r(a); r += b; return r; }
    bool operator==(LPCSTR psz) const { return m_str == (psz ? psz : ""); }
    bool operator!=(LPCSTR psz) const { return !(*this == psz); }

    void Format(LPCSTR pszFormat, ...);
    // Loads a string resource of the module; FALSE (and empty) when it is missing.
    BOOL LoadString(UINT nID);
    int Find(char ch) const;
    // Drops trailing white space (the line ends of system message texts).
    void TrimRight();
    CString Left(int nCount) const;

private:
    std::string m_str;
};
