#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace Veneer {

// Opaque handle of an open archive, as kept by the resource statics.
DECLARE_HANDLE(HZIP);

typedef DWORD ZRESULT;

// Result codes of the zip reader. Only ZR_OK and ZR_MORE mean success.
enum : ZRESULT
{
    ZR_OK = 0x00000000,        // done
    ZR_NOFILE = 0x00000200,    // the archive could not be opened
    ZR_NOALLOC = 0x00000300,   // out of memory
    ZR_NOTFOUND = 0x00000500,  // no entry of that name or index
    ZR_MORE = 0x00000600,      // the buffer is full, more data follows
    ZR_CORRUPT = 0x00000700,   // the archive or entry data is damaged
    ZR_READ = 0x00000800,      // a read from the archive failed
    ZR_PASSWORD = 0x00001000,  // encrypted entry and no or a wrong password
    ZR_ARGS = 0x00010000,      // bad arguments
    ZR_ZMODE = 0x00080000      // the handle is not an open reader
};

// The record the reader gives for one entry.
struct ZIPENTRY
{
    int index;                 // entry number (or, for GetZipItem(-1), the count)
    WCHAR name[MAX_PATH];      // cleaned name, never leaving its base folder
    DWORD attr;                // FILE_ATTRIBUTE_* flags
    FILETIME atime, ctime, mtime;
    long comp_size;            // bytes in the archive
    long unc_size;             // bytes after extraction
};

// Read-only reader of zip archives held in a file or in memory. Stored and
// deflated entries are supported, the latter through zlib's raw inflate;
// entries protected with the traditional zip encryption are decrypted with
// the password given at open time.
//
// Names in the archive are cleaned on reading: a leading drive ("X:") and
// leading separators go, and everything up to and including the last ".."
// segment is dropped, so no entry can address a place outside the folder it
// is extracted to. Look-ups compare the UTF-8 form of the requested name with
// the cleaned entry names, optionally folding the ASCII letters only.
//
// A damaged archive never makes the reader read outside the data it was given
// or allocate more than the archive can honestly expand to: entries whose
// declared sizes or offsets are impossible are refused with ZR_CORRUPT.
class CUIZip
{
public:
    ~CUIZip();

    // Handle-level interface used by the resource readers. A null handle gives
    // ZR_ARGS, a handle that is not an open reader ZR_ZMODE.
    static HZIP OpenZip(LPCTSTR pstrPath, const char* password, ZRESULT* pResult = nullptr);
    // The memory block is not copied: it must outlive the handle.
    static HZIP OpenZip(const void* pData, unsigned int nLength, const char* password,
                        ZRESULT* pResult = nullptr);
    // With index -1 the entry's index field gives the number of entries.
    static ZRESULT GetZipItem(HZIP hz, int index, ZIPENTRY* ze);
    static ZRESULT FindZipItem(HZIP hz, LPCTSTR name, bool ignoreCase, int* index, ZIPENTRY* ze);
    // Extracts into dst. When the entry does not fit, ZR_MORE is returned and
    // the next call with the same index continues where this one stopped.
    static ZRESULT UnzipItem(HZIP hz, int index, void* dst, unsigned int len);
    static ZRESULT CloseZip(HZIP hz);

    // A password as the reader takes it: in the system ANSI code page.
    static std::string AnsiPassword(LPCTSTR password);

    // Removes what would let a name leave its base folder (see above).
    static std::wstring CleanEntryName(const std::wstring& name);

    // Largest entry or directory the reader handles: sizes are reported as long, and a
    // bigger buffer cannot be had in a 32-bit process anyway.
    static const DWORD kMaxSize = 0x7FFFFFFF;

    int GetCount() const { return static_cast<int>(m_entries.size()); }
    ZRESULT GetItem(int index, ZIPENTRY* ze) const;
    ZRESULT Find(LPCTSTR name, bool ignoreCase, int* index, ZIPENTRY* ze) const;
    ZRESULT Unzip(int index, void* dst, unsigned int len);

private:
    class Source;
    class MemorySource;
    class FileSource;
    class Extraction;

    struct Entry
    {
        std::string utf8Name;     // cleaned name, UTF-8
        std::wstring name;        // cleaned name
        WORD flags = 0;
        WORD method = 0;
        WORD dosTime = 0;
        WORD dosDate = 0;
        DWORD crc = 0;
        DWORD compSize = 0;
        DWORD uncSize = 0;
        DWORD externalAttr = 0;
        WORD madeBy = 0;
        DWORD localOffset = 0;    // relative to the start of the archive data
        bool plausible = true;    // sizes and offsets fit the archive
    };

    explicit CUIZip(std::unique_ptr<Source> source, const char* password);
    ZRESULT ReadDirectory();
    bool ReadEndRecord(DWORD& dirOffset, DWORD& dirSize, DWORD& count, DWORD& base);
    void CheckPlausible(Entry& e, DWORD base) const;
    ZRESULT BeginExtraction(int index);
    static CUIZip* FromHandle(HZIP hz, ZRESULT& result);

    std::unique_ptr<Source> m_source;
    std::string m_password;
    std::vector<Entry> m_entries;
    DWORD m_base = 0;             // bytes before the archive (self-extractor stubs)
    std::unique_ptr<Extraction> m_extraction;
};

} // namespace Veneer
