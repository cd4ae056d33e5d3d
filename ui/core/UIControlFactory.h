#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace Veneer {

class CControlUI;

typedef CControlUI* (*CreateClass)();

// Process-wide map from control class names ("CButtonUI", matched without
// regard to case) to creator functions.
class CControlFactory
{
public:
    static CControlFactory* GetInstance();
    // Frees the instance; the next GetInstance makes a fresh one.
    void Release();

    // A new control of that class, or null when the class is unknown.
    CControlUI* CreateControl(LPCTSTR pstrClassName) const;
    // Adds or replaces the creator of a class.
    void RegistControl(LPCTSTR pstrClassName, CreateClass pFunc);

private:
    CControlFactory();
    ~CControlFactory() = default;
    CControlFactory(const CControlFactory&) = delete;
    CControlFactory& operator=(const CControlFactory&) = delete;
    static std::wstring Key(LPCTSTR pstrClassName);

    std::map<std::wstring, CreateClass> m_mapControl;
};

} // namespace Veneer
