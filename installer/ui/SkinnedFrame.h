#pragma once
// The installer's two windows build themselves the same way: the skin archive carried in the program's
// resources, copied into memory the window owns, then one markup file of it. They differ only in what
// they do once built and when the skin cannot be built.
#include "ui/core/UIFrameWnd.h"

#include <vector>

class CSkinnedFrame : public Veneer::CUIFrameWnd
{
public:
    // Where the skin comes from: a folder under the program's folder, and a zip resource by id and kind.
    virtual LPCWSTR GetSkinFolder() { return L""; }
    virtual UINT GetResourceID() { return 130; }
    virtual int GetResourceType() { return 4; }

protected:
    LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

    // Called once the window and its paint manager exist, before the markup is built: what changes how the
    // tree is measured (its DPI) goes here, so that the first layout is the only one.
    virtual void OnBeforeBuild() {}
    // Called once the tree is attached and the window listens to its controls, before InitWindow.
    virtual void OnSkinBuilt() {}
    // Called when the markup cannot be built; must end the process.
    virtual void OnSkinFailed() = 0;

private:
    void RemoveNativeCaption();
    bool TakeSkinArchive();

    // The framework reads the archive in place, so the copy lives as long as the window object.
    std::vector<BYTE> m_skinZip;
};
