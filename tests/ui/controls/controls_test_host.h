// Helpers of the control, layout and widget tests, beside the shared window host and canvas: a folder of
// images the skin can name, and controls built for layouts.
#pragma once

#include <windows.h>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/controls/UIHorizontalLayout.h"
#include "ui/controls/UIVerticalLayout.h"
#include "ui/core/UIManager.h"
#include "tests/support/Canvas.h"
#include "tests/support/RectMatchers.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WindowHost.h"

namespace controls_test {

using Host = test_support::WindowHost;
using test_support::Canvas;
using test_support::Note;
using test_support::Rc;

// A scratch folder that is the resource path while it lives: image descriptors name its files.
class ImageFolder : public test_support::ScratchFolder
{
public:
    ImageFolder() { Veneer::CPaintManagerUI::SetResourcePath(Path().c_str()); }
    ~ImageFolder() { Veneer::CPaintManagerUI::SetResourcePath(L""); }
};

// A control with a fixed size that reports its destruction.
class ProbeControl : public Veneer::CControlUI
{
public:
    explicit ProbeControl(int cx = 0, int cy = 0, bool* pDeleted = nullptr) : m_pDeleted(pDeleted)
    {
        if (cx > 0) SetFixedWidth(cx);
        if (cy > 0) SetFixedHeight(cy);
    }
    ~ProbeControl() override
    {
        if (m_pDeleted != nullptr) *m_pDeleted = true;
    }

private:
    bool* m_pDeleted;
};

// Fixed-size children for layouts: 0 means "stretch" in that dimension.
inline Veneer::CControlUI* Child(Veneer::CContainerUI& parent, int cx, int cy)
{
    Veneer::CControlUI* p = new Veneer::CControlUI();
    if (cx > 0) p->SetFixedWidth(cx);
    if (cy > 0) p->SetFixedHeight(cy);
    parent.Add(p);
    return p;
}

} // namespace controls_test
