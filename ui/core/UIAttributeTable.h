#pragma once
// The markup attributes one control class handles: its SetAttribute consults the table, the
// markup reference and the skin checker read it.

#include <windows.h>

#include <cstddef>
#include <type_traits>

#include "ui/core/UIAttributeValue.h"
#include "ui/support/UIString.h"

namespace Veneer {

class CControlUI;

enum class EAttrKind
{
    Bool,
    Int,
    Size,
    Rect,
    Color,
    Align,
    Image,
    Text,
    Choice,
    Float,
    AttrList
};

enum : UINT
{
    kAttrExactCase = 0x1, // the name matches only as written
    kAttrPassOn = 0x2, // the base class receives the attribute as well
};

struct TAttribute
{
    LPCTSTR pstrName;
    EAttrKind kind;
    UINT uFlags;
    void (*pfnSet)(CControlUI& control, LPCTSTR pstrValue);
    CUIString (*pfnGet)(const CControlUI& control); // null where no getter reads the value back
};

class CAttributeTable
{
public:
    template <size_t N>
    CAttributeTable(LPCTSTR pstrClass, const TAttribute (&rows)[N], const CAttributeTable* pBase)
        : m_pstrClass(pstrClass),
          m_pRows(rows),
          m_nRows(N),
          m_pBase(pBase)
    {
    }

    LPCTSTR GetClass() const { return m_pstrClass; }
    const CAttributeTable* GetBase() const { return m_pBase; }
    size_t GetCount() const { return m_nRows; }
    const TAttribute& GetAt(size_t i) const { return m_pRows[i]; }

    // This class's own row for the name, or null.
    const TAttribute* Find(LPCTSTR pstrName) const;
    // The row the name reaches through this class and its bases, or null.
    const TAttribute* FindInChain(LPCTSTR pstrName) const;
    // Runs the class's row for the name; false when the caller passes the attribute to its base.
    bool Apply(CControlUI& control, LPCTSTR pstrName, LPCTSTR pstrValue) const;

    static LPCTSTR KindName(EAttrKind kind);

private:
    LPCTSTR m_pstrClass;
    const TAttribute* m_pRows;
    size_t m_nRows;
    const CAttributeTable* m_pBase;
};

// How a row reads its value and writes it back out, per kind.
template <EAttrKind K> struct TAttrValue;

template <> struct TAttrValue<EAttrKind::Bool>
{
    static bool Parse(LPCTSTR v) { return CAttributeValue::Bool(v); }
    static CUIString Format(bool b) { return CAttributeValue::FormatBool(b); }
};

template <> struct TAttrValue<EAttrKind::Int>
{
    static int Parse(LPCTSTR v) { return CAttributeValue::Int(v); }
    static CUIString Format(int n) { return CAttributeValue::FormatInt(n); }
};

template <> struct TAttrValue<EAttrKind::Color>
{
    static DWORD Parse(LPCTSTR v) { return CAttributeValue::Color(v, CAttributeValue::kNoBlanks); }
    static CUIString Format(DWORD dw) { return CAttributeValue::FormatColor(dw); }
};

template <> struct TAttrValue<EAttrKind::Rect>
{
    static RECT Parse(LPCTSTR v) { return CAttributeValue::Rect(v); }
    static CUIString Format(const RECT& rc) { return CAttributeValue::FormatRect(rc); }
};

template <> struct TAttrValue<EAttrKind::Size>
{
    static SIZE Parse(LPCTSTR v) { return CAttributeValue::Size(v); }
    static CUIString Format(SIZE sz) { return CAttributeValue::FormatSize(sz); }
};

template <> struct TAttrValue<EAttrKind::Text>
{
    static LPCTSTR Parse(LPCTSTR v) { return v; }
    static CUIString Format(const CUIString& s) { return s; }
};

template <> struct TAttrValue<EAttrKind::Image> : TAttrValue<EAttrKind::Text>
{
};

template <class T, EAttrKind K, auto Set> void SetThrough(CControlUI& control, LPCTSTR pstrValue)
{
    (static_cast<T&>(control).*Set)(TAttrValue<K>::Parse(pstrValue));
}

template <class T, EAttrKind K, auto Get> CUIString GetThrough(const CControlUI& control)
{
    // Some getters of the markup's classes were never marked const; reading does not change them.
    T& target = const_cast<T&>(static_cast<const T&>(control));
    return TAttrValue<K>::Format((target.*Get)());
}

template <class T, EAttrKind K, auto Get> constexpr CUIString (*GetterOf())(const CControlUI&)
{
    if constexpr (std::is_same_v<decltype(Get), std::nullptr_t>) {
        return nullptr;
    } else {
        return &GetThrough<T, K, Get>;
    }
}

// A row whose value goes straight to one setter (and, given a getter, reads back through it).
template <class T, EAttrKind K, auto Set, auto Get = nullptr> TAttribute Row(LPCTSTR pstrName, UINT uFlags = 0)
{
    return TAttribute{pstrName, K, uFlags, &SetThrough<T, K, Set>, GetterOf<T, K, Get>()};
}

} // namespace Veneer

// The two members every control class with a table of its own has: the table answers first, the base class
// takes what it does not name. Used in the class's .cpp file, after its AttributeTable().
#define VENEER_ATTRIBUTE_MEMBERS(Class, Base)                                                                       \
    const ::Veneer::CAttributeTable& Class::GetAttributeTable() const { return AttributeTable(); }                 \
    void Class::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)                                                  \
    {                                                                                                              \
        if (!AttributeTable().Apply(*this, pstrName, pstrValue)) Base::SetAttribute(pstrName, pstrValue);          \
    }
