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

bool IsDescriptorKey(const CUIString& key)
{
    for (LPCTSTR pstrKey : kDescriptorKeys) {
        if (key == pstrKey) return true;
    }
    return false;
}

// Up to nCount numbers, each read by parse and followed by one separator character; the rest stay 0.
template <typename T, typename Parse>
void ReadNumbers(LPCTSTR pstrValue, T* pValues, int nCount, Parse parse)
{
    for (int i = 0; i < nCount; ++i) pValues[i] = T();
    if (pstrValue == nullptr) return;
    LPCTSTR p = pstrValue;
    for (int i = 0; i < nCount && *p != L'\0'; ++i) {
        LPTSTR pEnd = nullptr;
        pValues[i] = parse(p, &pEnd);
        p = pEnd;
        if (*p == L'\0') break;
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
    ReadNumbers(pstrValue, pValues, nCount, [](LPCTSTR p, LPTSTR* pEnd) { return wcstol(p, pEnd, 10); });
}

void CAttributeValue::Doubles(LPCTSTR pstrValue, double* pValues, int nCount)
{
    ReadNumbers(pstrValue, pValues, nCount, [](LPCTSTR p, LPTSTR* pEnd) { return wcstod(p, pEnd); });
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

LPCTSTR CAttributeValue::SkipBlanks(LPCTSTR p)
{
    while (*p > L'\0' && *p <= L' ') ++p;
    return p;
}

bool CAttributeValue::IsImageDescriptor(LPCTSTR pstrValue)
{
    if (pstrValue == nullptr || wcschr(pstrValue, L'=') == nullptr) return true;
    return ReadDescriptorPairs(pstrValue, [](const CUIString& key, const CUIString&) { return IsDescriptorKey(key); });
}

CUIString CAttributeValue::ImageFile(LPCTSTR pstrValue)
{
    if (pstrValue == nullptr) return CUIString();
    if (wcschr(pstrValue, L'=') == nullptr) return CUIString(pstrValue);
    CUIString sFile;
    ReadDescriptorPairs(pstrValue, [&sFile](const CUIString& key, const CUIString& value) {
        if (key == L"file" || key == L"res") sFile = value;
        return IsDescriptorKey(key);
    });
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
