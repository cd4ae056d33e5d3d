#include "ui/core/UIResourceManager.h"

#include <new>

#include "ui/core/UIManager.h"
#include "ui/core/UIZip.h"
#include "ui/support/UniqueHandle.h"

namespace Veneer {

namespace {

CResourceManager* g_pResourceManager = nullptr;

// A zip handle that is closed on leaving only when it was opened for this read.
class ZipForRead
{
public:
    ZipForRead() : m_hz(nullptr), m_owned(false)
    {
        if (CPaintManagerUI::IsCachedResourceZip()) {
            m_hz = reinterpret_cast<HZIP>(CPaintManagerUI::GetResourceZipHandle());
            return;
        }
        CUIString path = CResourceManager::GetArchivePath();
        std::string password = CUIZip::AnsiPassword(CPaintManagerUI::GetResourceZipPwd());
        m_hz = CUIZip::OpenZip(path, password.empty() ? nullptr : password.c_str());
        m_owned = true;
    }
    ~ZipForRead()
    {
        if (m_owned && m_hz != nullptr) CUIZip::CloseZip(m_hz);
    }
    ZipForRead(const ZipForRead&) = delete;
    ZipForRead& operator=(const ZipForRead&) = delete;
    HZIP Get() const { return m_hz; }

private:
    HZIP m_hz;
    bool m_owned;
};

typedef std::map<std::wstring, std::wstring> StringMap;

void AddFirst(StringMap& map, LPCTSTR id, LPCTSTR value)
{
    map.insert(StringMap::value_type(id, value));
}

} // namespace

CResourceManager* CResourceManager::GetInstance()
{
    if (g_pResourceManager == nullptr) g_pResourceManager = new CResourceManager();
    return g_pResourceManager;
}

void CResourceManager::Release()
{
    if (g_pResourceManager == this) g_pResourceManager = nullptr;
    delete this;
}

// ---- whole-file readers ---------------------------------------------------------

LPCTSTR CResourceManager::GetReadStatusText(ReadStatus status)
{
    switch (status) {
    case ReadOk: return L"";
    case ReadOpenFailed: return L"Error opening file";
    case ReadEmpty: return L"File is empty";
    case ReadTooLarge: return L"File too large";
    case ReadShort: return L"Could not read file";
    case ReadZipOpenFailed: return L"Error opening zip file";
    case ReadNotInZip: return L"Could not find ziped file";
    case ReadUnzipFailed: return L"Could not unzip file";
    }
    return L"";
}

static CResourceManager::ReadStatus ReadWholeFile(LPCTSTR path, DWORD nMaxSize, std::vector<BYTE>& data)
{
    CFileHandle file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return CResourceManager::ReadOpenFailed;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) return CResourceManager::ReadShort;
    if (size.QuadPart == 0) return CResourceManager::ReadEmpty;
    ULONGLONG limit = nMaxSize != 0 ? nMaxSize : 0x7FFFFFFFull;
    if (static_cast<ULONGLONG>(size.QuadPart) > limit) return CResourceManager::ReadTooLarge;
    DWORD length = static_cast<DWORD>(size.QuadPart);
    try {
        data.resize(length);
    } catch (const std::bad_alloc&) {
        return CResourceManager::ReadShort;
    }
    DWORD done = 0;
    if (!ReadFile(file.Get(), data.data(), length, &done, nullptr) || done != length) {
        data.clear();
        return CResourceManager::ReadShort;
    }
    return CResourceManager::ReadOk;
}

static CResourceManager::ReadStatus ReadZipEntry(LPCTSTR name, DWORD nMaxSize, std::vector<BYTE>& data)
{
    ZipForRead zip;
    if (zip.Get() == nullptr) return CResourceManager::ReadZipOpenFailed;
    CUIString entryName = name;
    entryName.Replace(L"\\", L"/");
    int index = -1;
    ZIPENTRY ze;
    if (CUIZip::FindZipItem(zip.Get(), entryName, true, &index, &ze) != ZR_OK) return CResourceManager::ReadNotInZip;
    if (ze.unc_size <= 0) return ze.unc_size == 0 ? CResourceManager::ReadEmpty : CResourceManager::ReadTooLarge;
    DWORD size = static_cast<DWORD>(ze.unc_size);
    const DWORD limit = nMaxSize != 0 ? nMaxSize : CUIZip::kMaxSize;
    if (size > limit) return CResourceManager::ReadTooLarge;
    try {
        data.resize(size);
    } catch (const std::bad_alloc&) {
        return CResourceManager::ReadUnzipFailed;
    }
    ZRESULT r = CUIZip::UnzipItem(zip.Get(), index, data.data(), size);
    if (r != ZR_OK && r != ZR_MORE) {
        data.clear();
        return CResourceManager::ReadUnzipFailed;
    }
    return CResourceManager::ReadOk;
}

// A name that stays inside the skin folder: relative, on no drive, never a step up.
static bool IsInsideName(LPCTSTR name)
{
    if (name[0] == L'\\' || name[0] == L'/' || (name[0] != 0 && name[1] == L':')) return false;
    for (LPCTSTR segment = name; *segment != 0;) {
        LPCTSTR end = segment;
        while (*end != 0 && *end != L'\\' && *end != L'/') ++end;
        if (end - segment == 2 && segment[0] == L'.' && segment[1] == L'.') return false;
        segment = *end != 0 ? end + 1 : end;
    }
    return true;
}

CResourceManager::ReadStatus CResourceManager::ReadResourceFile(LPCTSTR pstrName, DWORD nMaxSize,
                                                                std::vector<BYTE>& data)
{
    data.clear();
    if (pstrName == nullptr || *pstrName == 0) return ReadOpenFailed;
    if (CPaintManagerUI::GetResourceZip().IsEmpty()) {
        // Only inside a skin folder named in full: a relative folder would be the current directory, which
        // whoever started the program chose (often the downloads folder, where anything may lie).
        const CUIString& folder = CPaintManagerUI::GetResourcePath();
        if (!IsFullPath(folder) || !IsInsideName(pstrName)) return ReadOpenFailed;
        return ReadWholeFile(folder + pstrName, nMaxSize, data);
    }
    return ReadZipEntry(pstrName, nMaxSize, data);
}

bool CResourceManager::IsFullPath(LPCTSTR path)
{
    if (path == nullptr || path[0] == 0 || path[1] == 0) return false;
    const bool letter = (path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z');
    if (letter) return path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    return (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/');
}

CUIString CResourceManager::GetArchivePath()
{
    const CUIString& name = CPaintManagerUI::GetResourceZip();
    if (IsFullPath(name)) return name;
    // The same rule as for files in a skin folder: never an archive found in the current directory.
    const CUIString& folder = CPaintManagerUI::GetResourcePath();
    return IsFullPath(folder) ? folder + name : CUIString();
}

bool CResourceManager::ReadPlainFile(LPCTSTR pstrPath, DWORD nMaxSize, std::vector<BYTE>& data)
{
    data.clear();
    if (!IsFullPath(pstrPath)) return false;
    return ReadWholeFile(pstrPath, nMaxSize, data) == ReadOk;
}

bool CResourceManager::FindModuleResource(STRINGorID res, LPCTSTR type, HINSTANCE instance, const BYTE** ppData,
                                          DWORD* pSize)
{
    *ppData = nullptr;
    *pSize = 0;
    if (type == nullptr) return false;
    HINSTANCE module = instance != nullptr ? instance : CPaintManagerUI::GetResourceDll();
    HRSRC hResource = FindResourceW(module, res.m_lpstr, type);
    if (hResource == nullptr) return false;
    HGLOBAL hGlobal = ::LoadResource(module, hResource);
    if (hGlobal == nullptr) return false;
    DWORD size = SizeofResource(module, hResource);
    const BYTE* data = static_cast<const BYTE*>(LockResource(hGlobal));
    if (data == nullptr || size == 0) return false;
    *ppData = data;
    *pSize = size;
    return true;
}

// ---- the index --------------------------------------------------------------------

bool CResourceManager::LoadResource(STRINGorID xml, LPCTSTR type)
{
    if (!m_xml.load_source(xml, type)) return false;
    return LoadResource(m_xml);
}

bool CResourceManager::LoadResource(const CXmlNodeUI& root)
{
    CXmlNodeUI res = root.child(L"Res");
    if (res.empty()) return false;
    for (CXmlNodeUI node = res.first_child(); !node.empty(); node = node.next_sibling()) {
        if (node.type() != node_element_ui) continue;
        StringMap* target = nullptr;
        if (_wcsicmp(node.name(), L"Image") == 0) target = &m_mImageHashMap;
        else if (_wcsicmp(node.name(), L"Xml") == 0) target = &m_mXmlHashMap;
        if (target == nullptr) continue;
        CXmlAttributeUI id = node.attribute(L"id");
        CXmlAttributeUI path = node.attribute(L"path");
        if (id.empty() || path.empty()) continue;
        AddFirst(*target, id.value(), path.value());
    }
    return true;
}

void CResourceManager::ResetResourceMap()
{
    m_mImageHashMap.clear();
    m_mXmlHashMap.clear();
    m_mTextResourceHashMap.clear();
}

LPCTSTR CResourceManager::GetImagePath(LPCTSTR lpstrId) const
{
    if (lpstrId == nullptr) return nullptr;
    auto it = m_mImageHashMap.find(lpstrId);
    return it != m_mImageHashMap.end() ? it->second.c_str() : nullptr;
}

LPCTSTR CResourceManager::GetXmlPath(LPCTSTR lpstrId) const
{
    if (lpstrId == nullptr) return nullptr;
    auto it = m_mXmlHashMap.find(lpstrId);
    return it != m_mXmlHashMap.end() ? it->second.c_str() : nullptr;
}

// ---- texts --------------------------------------------------------------------------

bool CResourceManager::LoadLanguage(LPCTSTR pstrXml)
{
    if (pstrXml == nullptr || *pstrXml == 0) return false;
    if (!m_xml.load_source(pstrXml)) return false;
    CXmlNodeUI res = m_xml.child(L"Res");
    if (res.empty()) return false;
    for (CXmlNodeUI node = res.first_child(); !node.empty(); node = node.next_sibling()) {
        if (node.type() != node_element_ui || _wcsicmp(node.name(), L"Text") != 0) continue;
        CXmlAttributeUI id = node.attribute(L"id");
        CXmlAttributeUI value = node.attribute(L"value");
        if (id.empty() || value.empty()) continue;
        m_mTextResourceHashMap[id.value()] = value.value();
    }
    return true;
}

LPCTSTR CResourceManager::GetText(LPCTSTR lpstrId, LPCTSTR lpstrType)
{
    if (lpstrId == nullptr || *lpstrId == 0) return L"";
    auto it = m_mTextResourceHashMap.find(lpstrId);
    if (it != m_mTextResourceHashMap.end()) return it->second.c_str();
    if (m_pQuerypInterface == nullptr) return lpstrId;
    LPCWSTR answer = m_pQuerypInterface->QueryControlText(lpstrId, lpstrType);
    auto inserted = m_mTextResourceHashMap.insert(StringMap::value_type(lpstrId, answer != nullptr ? answer : L""));
    return inserted.first->second.c_str();
}

void CResourceManager::ReloadText()
{
    if (m_pQuerypInterface == nullptr) return;
    for (auto& entry : m_mTextResourceHashMap) {
        LPCWSTR answer = m_pQuerypInterface->QueryControlText(entry.first.c_str(), nullptr);
        if (answer != nullptr) entry.second = answer;
    }
}

void CResourceManager::ResetTextMap() { m_mTextResourceHashMap.clear(); }

} // namespace Veneer
