#include "ui/core/UIAttributeValue.h"

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

namespace Veneer {

namespace {

LPCTSTR const kDescriptorKeys[] = {
    L"file",   L"res",    L"restype", L"dest",    L"source", L"corner", L"mask",  L"fade",   L"hole",
    L"xtiled", L"ytiled", L"hsl",     L"padding", L"align",  L"valign", L"width", L"height", L"fillcolor",
};

LPCTSTR SkipBlanks(LPCTSTR p)
{
    while (*p > L'\0' && *p <= L' ') ++p;
    return p;
}

bool IsDescriptorKey(const CUIString& key)
{
    for (LPCTSTR pstrKey : kDescriptorKeys) {
        if (key == pstrKey) return true;
    }
    return false;
}

// Walks the name='value' pairs the way the paint manager reads them; false where it would stop
// before the end, or at a key it does not know. pFile receives the file's value.
bool WalkDescriptor(LPCTSTR pstrValue, CUIString* pFile)
{
    LPCTSTR p = pstrValue;
    for (;;) {
        p = SkipBlanks(p);
        if (*p == L'\0') return true;
        LPCTSTR pKey = p;
        while (*p != L'\0' && *p != L'=' && *p > L' ') ++p;
        CUIString key(pKey, static_cast<int>(p - pKey));
        p = SkipBlanks(p);
        if (*p != L'=') return false;
        p = SkipBlanks(p + 1);
        if (*p != L'\'') return false;
        LPCTSTR pValue = ++p;
        while (*p != L'\0' && *p != L'\'') ++p;
        if (*p != L'\'' || !IsDescriptorKey(key)) return false;
        if (pFile != nullptr && (key == L"file" || key == L"res")) pFile->Assign(pValue, static_cast<int>(p - pValue));
        ++p;
        if (*p == L'\0') return true;
        if (*p != L' ') return false;
        ++p;
    }
}

} // namespace

bool CAttributeValue::Bool(LPCTSTR pstrValue)
{
    return pstrValue != nullptr && _wcsicmp(pstrValue, L"true") == 0;
}

bool CAttributeValue::ExactBool(LPCTSTR pstrValue)
{
    return pstrValue != nullptr && wcscmp(pstrValue, L"true") == 0;
}

int CAttributeValue::Int(LPCTSTR pstrValue)
{
    return pstrValue != nullptr ? static_cast<int>(wcstol(pstrValue, nullptr, 10)) : 0;
}

void CAttributeValue::Ints(LPCTSTR pstrValue, long* pValues, int nCount)
{
    for (int i = 0; i < nCount; ++i) pValues[i] = 0;
    if (pstrValue == nullptr) return;
    LPCTSTR p = pstrValue;
    for (int i = 0; i < nCount && *p != L'\0'; ++i) {
        LPTSTR pEnd = nullptr;
        pValues[i] = wcstol(p, &pEnd, 10);
        p = pEnd;
        if (*p == L'\0') break;
        ++p;
    }
}

void CAttributeValue::Doubles(LPCTSTR pstrValue, double* pValues, int nCount)
{
    for (int i = 0; i < nCount; ++i) pValues[i] = 0.0;
    if (pstrValue == nullptr) return;
    LPCTSTR p = pstrValue;
    for (int i = 0; i < nCount && *p != L'\0'; ++i) {
        LPTSTR pEnd = nullptr;
        pValues[i] = wcstod(p, &pEnd);
        p = pEnd;
        if (*p == L'\0') break;
        ++p;
    }
}

SIZE CAttributeValue::Size(LPCTSTR pstrValue)
{
    long v[2];
    Ints(pstrValue, v, 2);
    SIZE sz = {v[0], v[1]};
    return sz;
}

RECT CAttributeValue::Rect(LPCTSTR pstrValue)
{
    long v[4];
    Ints(pstrValue, v, 4);
    RECT rc = {v[0], v[1], v[2], v[3]};
    return rc;
}

DWORD CAttributeValue::Color(LPCTSTR pstrValue, EBlanks blanks)
{
    if (pstrValue == nullptr) return 0;
    if (blanks == kControlBlanks) {
        while (*pstrValue > L'\0' && *pstrValue <= L' ') ++pstrValue;
    } else if (blanks == kSpaceTab) {
        while (*pstrValue == L' ' || *pstrValue == L'\t') ++pstrValue;
    }
    if (*pstrValue == L'#') ++pstrValue;
    return static_cast<DWORD>(wcstoul(pstrValue, nullptr, 16));
}

bool CAttributeValue::HasWord(LPCTSTR pstrValue, LPCTSTR pstrWord)
{
    return pstrValue != nullptr && wcsstr(pstrValue, pstrWord) != nullptr;
}

bool CAttributeValue::IsImageDescriptor(LPCTSTR pstrValue)
{
    if (pstrValue == nullptr || wcschr(pstrValue, L'=') == nullptr) return true;
    return WalkDescriptor(pstrValue, nullptr);
}

CUIString CAttributeValue::ImageFile(LPCTSTR pstrValue)
{
    if (pstrValue == nullptr) return CUIString();
    if (wcschr(pstrValue, L'=') == nullptr) return CUIString(pstrValue);
    CUIString sFile;
    WalkDescriptor(pstrValue, &sFile);
    return sFile;
}

CUIString CAttributeValue::FormatInt(int n)
{
    wchar_t sz[16];
    swprintf(sz, 16, L"%d", n);
    return CUIString(sz);
}

CUIString CAttributeValue::FormatBool(bool b)
{
    return CUIString(b ? L"true" : L"false");
}

CUIString CAttributeValue::FormatColor(DWORD dw)
{
    wchar_t sz[16];
    swprintf(sz, 16, L"#%08X", static_cast<unsigned>(dw));
    return CUIString(sz);
}

CUIString CAttributeValue::FormatSize(SIZE sz)
{
    wchar_t buf[32];
    swprintf(buf, 32, L"%ld,%ld", sz.cx, sz.cy);
    return CUIString(buf);
}

CUIString CAttributeValue::FormatRect(const RECT& rc)
{
    wchar_t buf[64];
    swprintf(buf, 64, L"%ld,%ld,%ld,%ld", rc.left, rc.top, rc.right, rc.bottom);
    return CUIString(buf);
}

} // namespace Veneer
