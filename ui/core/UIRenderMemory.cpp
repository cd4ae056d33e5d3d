// Whole-file reads for the image loader: module resources, the resource
// location (folder or archive), and finally a name that is a full path.
#include "ui/core/UIRender.h"

#include <cstring>
#include <new>
#include <vector>

#include "ui/core/UIResourceManager.h"

namespace Veneer {

namespace {

int HandOver(const BYTE* bytes, size_t size, LPBYTE& pData)
{
    if (size == 0 || size > 0x7FFFFFFF) return 0;
    pData = new (std::nothrow) BYTE[size];
    if (pData == nullptr) return 0;
    std::memcpy(pData, bytes, size);
    return static_cast<int>(size);
}

} // namespace

int CRenderEngine::LoadImage2Memory(const STRINGorID& bitmap, LPCTSTR type, LPBYTE& pData, HINSTANCE instance)
{
    pData = nullptr;
    if (type != nullptr && *type != 0) {
        const BYTE* bytes = nullptr;
        DWORD size = 0;
        if (CResourceManager::FindModuleResource(bitmap, type, instance, &bytes, &size)) {
            int n = HandOver(bytes, size, pData);
            if (n > 0) return n;
        }
    }
    LPCTSTR name = bitmap.GetString();
    if (name == nullptr || *name == 0) return 0;
    std::vector<BYTE> data;
    if (type == nullptr || *type == 0) {
        if (CResourceManager::ReadResourceFile(name, 0, data) != CResourceManager::ReadOk) data.clear();
    }
    // An image outside the skin only by a full path: a relative name is the skin's alone, never a file that
    // happens to lie in the current directory.
    if (data.empty() && !CResourceManager::ReadPlainFile(name, 0, data)) return 0;
    return HandOver(data.data(), data.size(), pData);
}

void CRenderEngine::FreeMemory(LPBYTE pData) { delete[] pData; }

} // namespace Veneer
