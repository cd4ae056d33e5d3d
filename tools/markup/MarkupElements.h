#pragma once
// The elements a Veneer skin may use: the controls (their attributes come from the classes' tables)
// and the elements the window builder reads itself.

#include <windows.h>

#include <memory>

#include "ui/controls/UIControl.h"

namespace markup {

// The control classes the factory makes, by element name.
extern LPCTSTR const kControlElements[];
extern const size_t kControlElementCount;

// Builder elements and the attributes each takes.
struct TBuilderElement
{
    LPCTSTR pstrName;
    LPCTSTR const* ppAttributes; // null-terminated
};
extern const TBuilderElement kBuilderElements[];
extern const size_t kBuilderElementCount;

std::unique_ptr<Veneer::CControlUI> MakeControl(LPCTSTR pstrElement);
const TBuilderElement* FindBuilderElement(LPCTSTR pstrElement);

} // namespace markup
