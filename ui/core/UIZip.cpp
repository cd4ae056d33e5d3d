#include "ui/core/UIZip.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <set>
#include <utility>

#include "ui/support/UniqueHandle.h"

namespace Veneer {

namespace {

const DWORD kLocalHeaderSig = 0x04034b50;
const DWORD kCentralHeaderSig = 0x02014b50;
const DWORD kEndRecordSig = 0x06054b50;
const DWORD kLocalHeaderSize = 30;
const DWORD kCentralHeaderSize = 46;
const DWORD kEndRecordSize = 22;
const DWORD kMaxCommentSize = 0xFFFF;
const DWORD kEncryptionHeaderSize = 12;
// Deflate cannot expand beyond about 1032:1; anything claiming more is damage.
const ULONGLONG kMaxDeflateRatio = 1032;
const DWORD kChunkSize = 16 * 1024;

const WORD kFlagEncrypted = 0x0001;
const WORD kFlagDataDescriptor = 0x0008;
const WORD kMethodStored = 0;
const WORD kMethodDeflated = 8;

WORD Get16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD Get32(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

std::set<CUIZip*>& LiveReaders()
{
    static std::set<CUIZip*> readers;
    return readers;
}

std::wstring Utf8ToWide(const char* data, int length)
{
    if (length <= 0) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, data, length, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, data, length, &out[0], n);
    return out;
}

std::string WideToUtf8(const wchar_t* data, int length)
{
    if (length <= 0) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, data, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, data, length, &out[0], n, nullptr, nullptr);
    return out;
}

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNames(const std::string& a, const char* b, size_t bLength, bool ignoreCase)
{
    if (a.size() != bLength) return false;
    if (!ignoreCase) return std::memcmp(a.data(), b, bLength) == 0;
    for (size_t i = 0; i < bLength; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

// The traditional PKWARE stream cipher.
class ZipCrypto
{
public:
    explicit ZipCrypto(const std::string& password)
    {
        for (unsigned char c : password) Update(c);
    }
    BYTE Decrypt(BYTE c)
    {
        WORD temp = static_cast<WORD>((m_keys[2] & 0xFFFF) | 2);
        BYTE plain = static_cast<BYTE>(c ^ static_cast<BYTE>((temp * (temp ^ 1)) >> 8));
        Update(plain);
        return plain;
    }
    void Decrypt(BYTE* data, DWORD length)
    {
        for (DWORD i = 0; i < length; ++i) data[i] = Decrypt(data[i]);
    }

private:
    static DWORD CrcByte(DWORD crc, BYTE b)
    {
        static const z_crc_t* table = get_crc_table();
        return table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    }
    void Update(BYTE c)
    {
        m_keys[0] = CrcByte(m_keys[0], c);
        m_keys[1] = (m_keys[1] + (m_keys[0] & 0xFF)) * 134775813 + 1;
        m_keys[2] = CrcByte(m_keys[2], static_cast<BYTE>(m_keys[1] >> 24));
    }
    DWORD m_keys[3] = {0x12345678, 0x23456789, 0x34567890};
};

} // namespace

// Where the archive bytes come from.
class CUIZip::Source
{
public:
    virtual ~Source() = default;
    virtual ULONGLONG Size() const = 0;
    virtual bool ReadAt(ULONGLONG offset, void* buffer, DWORD length) = 0;
    // Direct view of the bytes, when the source is memory.
    virtual const BYTE* View(ULONGLONG offset, DWORD length) const = 0;
};

class CUIZip::MemorySource : public CUIZip::Source
{
public:
    MemorySource(const void* data, unsigned int length)
        : m_data(static_cast<const BYTE*>(data)), m_length(length) {}
    ULONGLONG Size() const override { return m_length; }
    bool ReadAt(ULONGLONG offset, void* buffer, DWORD length) override
    {
        const BYTE* p = View(offset, length);
        if (p == nullptr) return false;
        std::memcpy(buffer, p, length);
        return true;
    }
    const BYTE* View(ULONGLONG offset, DWORD length) const override
    {
        if (offset > m_length || length > m_length - offset) return nullptr;
        return m_data + offset;
    }

private:
    const BYTE* m_data;
    ULONGLONG m_length;
};

class CUIZip::FileSource : public CUIZip::Source
{
public:
    explicit FileSource(CFileHandle file) : m_file(std::move(file))
    {
        LARGE_INTEGER size;
        m_size = GetFileSizeEx(m_file.Get(), &size) ? static_cast<ULONGLONG>(size.QuadPart) : 0;
    }
    ULONGLONG Size() const override { return m_size; }
    bool ReadAt(ULONGLONG offset, void* buffer, DWORD length) override
    {
        if (offset > m_size || length > m_size - offset) return false;
        LARGE_INTEGER pos;
        pos.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(m_file.Get(), pos, nullptr, FILE_BEGIN)) return false;
        DWORD done = 0;
        return ReadFile(m_file.Get(), buffer, length, &done, nullptr) && done == length;
    }
    const BYTE* View(ULONGLONG, DWORD) const override { return nullptr; }

private:
    CFileHandle m_file;
    ULONGLONG m_size = 0;
};

// The state of one entry being extracted, kept between calls so that an
// entry can be read into several consecutive buffers.
class CUIZip::Extraction
{
public:
    Extraction(int index, const Entry& entry, ULONGLONG dataStart, DWORD dataLength, const std::string& password)
        : m_index(index), m_entry(entry), m_next(dataStart), m_remaining(dataLength)
    {
        if (entry.flags & kFlagEncrypted) m_crypto.reset(new ZipCrypto(password));
        std::memset(&m_stream, 0, sizeof(m_stream));
    }
    ~Extraction()
    {
        if (m_inflating) inflateEnd(&m_stream);
    }

    int Index() const { return m_index; }

    ZRESULT Start(Source& source)
    {
        if (m_crypto) {
            if (m_remaining < kEncryptionHeaderSize) return ZR_CORRUPT;
            BYTE header[kEncryptionHeaderSize];
            if (!source.ReadAt(m_next, header, kEncryptionHeaderSize)) return ZR_READ;
            m_next += kEncryptionHeaderSize;
            m_remaining -= kEncryptionHeaderSize;
            m_crypto->Decrypt(header, kEncryptionHeaderSize);
            BYTE check = (m_entry.flags & kFlagDataDescriptor) ? static_cast<BYTE>(m_entry.dosTime >> 8)
                                                                : static_cast<BYTE>(m_entry.crc >> 24);
            if (header[kEncryptionHeaderSize - 1] != check) return ZR_PASSWORD;
        }
        if (m_entry.method == kMethodStored) {
            if (m_remaining != m_entry.uncSize) return ZR_CORRUPT;
            return ZR_OK;
        }
        if (m_entry.method != kMethodDeflated) return ZR_CORRUPT;
        if (inflateInit2(&m_stream, -MAX_WBITS) != Z_OK) return ZR_NOALLOC;
        m_inflating = true;
        return ZR_OK;
    }

    // Fills dst with the next bytes of the entry. Returns ZR_OK when the
    // entry is complete, ZR_MORE when more follows, or a failure.
    ZRESULT Read(Source& source, BYTE* dst, unsigned int len)
    {
        DWORD left = m_entry.uncSize - m_produced;
        DWORD want = static_cast<DWORD>(std::min<ULONGLONG>(len, left));
        ZRESULT r = (m_entry.method == kMethodStored) ? ReadStored(source, dst, want) : Inflate(source, dst, want);
        if (r != ZR_OK) return r;
        m_crc = crc32(m_crc, dst, want);
        m_produced += want;
        if (m_produced < m_entry.uncSize) return ZR_MORE;
        return m_crc == m_entry.crc ? ZR_OK : ZR_CORRUPT;
    }

private:
    ZRESULT ReadStored(Source& source, BYTE* dst, DWORD want)
    {
        if (want > m_remaining) return ZR_CORRUPT;
        if (want > 0 && !source.ReadAt(m_next, dst, want)) return ZR_READ;
        if (m_crypto) m_crypto->Decrypt(dst, want);
        m_next += want;
        m_remaining -= want;
        return ZR_OK;
    }

    bool Refill(Source& source)
    {
        DWORD chunk = std::min(m_remaining, kChunkSize);
        const BYTE* view = m_crypto ? nullptr : source.View(m_next, m_remaining);
        if (view != nullptr) {
            // Memory archives feed the whole entry at once, without a copy.
            chunk = m_remaining;
            m_stream.next_in = const_cast<Bytef*>(view);
        } else {
            if (m_buffer.size() < chunk) m_buffer.resize(chunk);
            if (!source.ReadAt(m_next, m_buffer.data(), chunk)) return false;
            if (m_crypto) m_crypto->Decrypt(m_buffer.data(), chunk);
            m_stream.next_in = m_buffer.data();
        }
        m_stream.avail_in = chunk;
        m_next += chunk;
        m_remaining -= chunk;
        return true;
    }

    ZRESULT Inflate(Source& source, BYTE* dst, DWORD want)
    {
        m_stream.next_out = dst;
        m_stream.avail_out = want;
        while (m_stream.avail_out > 0) {
            if (m_stream.avail_in == 0 && m_remaining > 0) {
                try {
                    if (!Refill(source)) return ZR_READ;
                } catch (const std::bad_alloc&) {
                    return ZR_NOALLOC;
                }
            }
            uInt inBefore = m_stream.avail_in;
            uInt outBefore = m_stream.avail_out;
            int z = inflate(&m_stream, Z_NO_FLUSH);
            if (z == Z_STREAM_END) {
                // The stream ended before the declared size was reached.
                if (m_stream.avail_out > 0) return ZR_CORRUPT;
                break;
            }
            if (z != Z_OK && z != Z_BUF_ERROR) return ZR_CORRUPT;
            bool progressed = m_stream.avail_in != inBefore || m_stream.avail_out != outBefore;
            if (!progressed && m_remaining == 0) return ZR_CORRUPT;   // input exhausted
            if (!progressed && m_stream.avail_in > 0) return ZR_CORRUPT;
        }
        return ZR_OK;
    }

    int m_index;
    Entry m_entry;
    ULONGLONG m_next;
    DWORD m_remaining;
    DWORD m_produced = 0;
    uLong m_crc = 0;
    std::unique_ptr<ZipCrypto> m_crypto;
    z_stream m_stream;
    bool m_inflating = false;
    std::vector<BYTE> m_buffer;
};

CUIZip::CUIZip(std::unique_ptr<Source> source, const char* password)
    : m_source(std::move(source)), m_password(password != nullptr ? password : "")
{
}

CUIZip::~CUIZip() = default;

HZIP CUIZip::OpenZip(LPCTSTR pstrPath, const char* password, ZRESULT* pResult)
{
    ZRESULT dummy;
    ZRESULT& result = pResult != nullptr ? *pResult : dummy;
    if (pstrPath == nullptr || *pstrPath == 0) {
        result = ZR_ARGS;
        return nullptr;
    }
    CFileHandle file(CreateFileW(pstrPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        result = ZR_NOFILE;
        return nullptr;
    }
    try {
        std::unique_ptr<Source> source(new FileSource(std::move(file)));
        std::unique_ptr<CUIZip> zip(new CUIZip(std::move(source), password));
        result = zip->ReadDirectory();
        if (result != ZR_OK) return nullptr;
        LiveReaders().insert(zip.get());
        return reinterpret_cast<HZIP>(zip.release());
    } catch (const std::bad_alloc&) {
        result = ZR_NOALLOC;
        return nullptr;
    }
}

HZIP CUIZip::OpenZip(const void* pData, unsigned int nLength, const char* password, ZRESULT* pResult)
{
    ZRESULT dummy;
    ZRESULT& result = pResult != nullptr ? *pResult : dummy;
    if (pData == nullptr || nLength == 0) {
        result = ZR_ARGS;
        return nullptr;
    }
    try {
        std::unique_ptr<Source> source(new MemorySource(pData, nLength));
        std::unique_ptr<CUIZip> zip(new CUIZip(std::move(source), password));
        result = zip->ReadDirectory();
        if (result != ZR_OK) return nullptr;
        LiveReaders().insert(zip.get());
        return reinterpret_cast<HZIP>(zip.release());
    } catch (const std::bad_alloc&) {
        result = ZR_NOALLOC;
        return nullptr;
    }
}

CUIZip* CUIZip::FromHandle(HZIP hz, ZRESULT& result)
{
    if (hz == nullptr) {
        result = ZR_ARGS;
        return nullptr;
    }
    CUIZip* zip = reinterpret_cast<CUIZip*>(hz);
    if (LiveReaders().count(zip) == 0) {
        result = ZR_ZMODE;
        return nullptr;
    }
    result = ZR_OK;
    return zip;
}

ZRESULT CUIZip::GetZipItem(HZIP hz, int index, ZIPENTRY* ze)
{
    ZRESULT r;
    CUIZip* zip = FromHandle(hz, r);
    return zip != nullptr ? zip->GetItem(index, ze) : r;
}

ZRESULT CUIZip::FindZipItem(HZIP hz, LPCTSTR name, bool ignoreCase, int* index, ZIPENTRY* ze)
{
    ZRESULT r;
    CUIZip* zip = FromHandle(hz, r);
    return zip != nullptr ? zip->Find(name, ignoreCase, index, ze) : r;
}

ZRESULT CUIZip::UnzipItem(HZIP hz, int index, void* dst, unsigned int len)
{
    ZRESULT r;
    CUIZip* zip = FromHandle(hz, r);
    return zip != nullptr ? zip->Unzip(index, dst, len) : r;
}

ZRESULT CUIZip::CloseZip(HZIP hz)
{
    ZRESULT r;
    CUIZip* zip = FromHandle(hz, r);
    if (zip == nullptr) return r;
    LiveReaders().erase(zip);
    delete zip;
    return ZR_OK;
}

std::string CUIZip::AnsiPassword(LPCTSTR password)
{
    if (password == nullptr || *password == 0) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, password, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, password, -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::wstring CUIZip::CleanEntryName(const std::wstring& input)
{
    std::wstring name = input;
    for (;;) {
        std::wstring before = name;
        if (name.size() >= 2 && name[1] == L':' &&
            ((name[0] >= L'A' && name[0] <= L'Z') || (name[0] >= L'a' && name[0] <= L'z'))) {
            name.erase(0, 2);
        }
        size_t lead = 0;
        while (lead < name.size() && IsSeparator(name[lead])) ++lead;
        name.erase(0, lead);
        // Cut after the last ".." segment.
        size_t cut = 0;
        size_t start = 0;
        while (start <= name.size()) {
            size_t end = start;
            while (end < name.size() && !IsSeparator(name[end])) ++end;
            if (end - start == 2 && name[start] == L'.' && name[start + 1] == L'.') {
                cut = std::min(end + 1, name.size());
            }
            start = end + 1;
        }
        name.erase(0, cut);
        if (name == before) return name;
    }
}

bool CUIZip::ReadEndRecord(DWORD& dirOffset, DWORD& dirSize, DWORD& count, DWORD& base)
{
    ULONGLONG size = m_source->Size();
    if (size < kEndRecordSize || size > 0xFFFFFFFFull) return false;
    DWORD tail = static_cast<DWORD>(std::min<ULONGLONG>(size, kEndRecordSize + kMaxCommentSize));
    std::vector<BYTE> buffer(tail);
    ULONGLONG tailStart = size - tail;
    if (!m_source->ReadAt(tailStart, buffer.data(), tail)) return false;
    for (DWORD pos = tail - kEndRecordSize + 1; pos-- > 0;) {
        const BYTE* p = buffer.data() + pos;
        if (Get32(p) != kEndRecordSig) continue;
        DWORD recordPos = static_cast<DWORD>(tailStart + pos);
        count = Get16(p + 10);
        dirSize = Get32(p + 12);
        dirOffset = Get32(p + 16);
        if (dirSize > recordPos) return false;
        DWORD dirStart = recordPos - dirSize;
        if (dirOffset > dirStart) return false;
        // Bytes in front of the archive (a self-extractor stub) shift every offset.
        base = dirStart - dirOffset;
        return true;
    }
    return false;
}

void CUIZip::CheckPlausible(Entry& e, DWORD base) const
{
    ULONGLONG size = m_source->Size();
    ULONGLONG local = static_cast<ULONGLONG>(base) + e.localOffset;
    bool fits = local + kLocalHeaderSize + e.compSize <= size;
    ULONGLONG payload = e.compSize;
    if (e.flags & kFlagEncrypted) {
        if (payload < kEncryptionHeaderSize) fits = false;
        else payload -= kEncryptionHeaderSize;
    }
    // Methods other than these cannot be extracted, so their sizes mean nothing.
    bool sizesAgree = false;
    if (e.method == kMethodStored) sizesAgree = payload == e.uncSize;
    else if (e.method == kMethodDeflated) sizesAgree = e.uncSize <= (payload + 1) * kMaxDeflateRatio;
    e.plausible = fits && sizesAgree && e.uncSize <= kMaxSize;
}

ZRESULT CUIZip::ReadDirectory()
{
    DWORD dirOffset = 0, dirSize = 0, count = 0, base = 0;
    if (!ReadEndRecord(dirOffset, dirSize, count, base)) return ZR_CORRUPT;
    m_base = base;
    if (dirSize > kMaxSize) return ZR_CORRUPT;
    std::vector<BYTE> dir(dirSize);
    if (dirSize > 0 && !m_source->ReadAt(static_cast<ULONGLONG>(base) + dirOffset, dir.data(), dirSize)) {
        return ZR_READ;
    }
    if (count > dirSize / kCentralHeaderSize) return ZR_CORRUPT;
    m_entries.reserve(count);
    DWORD pos = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (dirSize - pos < kCentralHeaderSize) return ZR_CORRUPT;
        const BYTE* p = dir.data() + pos;
        if (Get32(p) != kCentralHeaderSig) return ZR_CORRUPT;
        DWORD nameLen = Get16(p + 28), extraLen = Get16(p + 30), commentLen = Get16(p + 32);
        DWORD recordLen = kCentralHeaderSize + nameLen + extraLen + commentLen;
        if (dirSize - pos < recordLen) return ZR_CORRUPT;
        Entry e;
        e.madeBy = Get16(p + 4);
        e.flags = Get16(p + 8);
        e.method = Get16(p + 10);
        e.dosTime = Get16(p + 12);
        e.dosDate = Get16(p + 14);
        e.crc = Get32(p + 16);
        e.compSize = Get32(p + 20);
        e.uncSize = Get32(p + 24);
        e.externalAttr = Get32(p + 38);
        e.localOffset = Get32(p + 42);
        e.name = CleanEntryName(Utf8ToWide(reinterpret_cast<const char*>(p + kCentralHeaderSize),
                                           static_cast<int>(nameLen)));
        e.utf8Name = WideToUtf8(e.name.data(), static_cast<int>(e.name.size()));
        CheckPlausible(e, base);
        m_entries.push_back(std::move(e));
        pos += recordLen;
    }
    return ZR_OK;
}

ZRESULT CUIZip::GetItem(int index, ZIPENTRY* ze) const
{
    if (ze == nullptr) return ZR_ARGS;
    std::memset(ze, 0, sizeof(*ze));
    if (index == -1) {
        ze->index = GetCount();
        return ZR_OK;
    }
    if (index < 0 || index >= GetCount()) return ZR_ARGS;
    const Entry& e = m_entries[static_cast<size_t>(index)];
    ze->index = index;
    size_t n = std::min<size_t>(e.name.size(), MAX_PATH - 1);
    std::wmemcpy(ze->name, e.name.data(), n);
    ze->name[n] = 0;
    bool isDir = !e.name.empty() && IsSeparator(e.name.back());
    BYTE host = static_cast<BYTE>(e.madeBy >> 8);
    DWORD attr = 0;
    if (host == 3) {   // Unix: the mode sits in the upper half
        DWORD mode = e.externalAttr >> 16;
        if ((mode & 0170000) == 0040000) isDir = true;
        if ((mode & 0200) == 0) attr |= FILE_ATTRIBUTE_READONLY;
    } else {
        attr = e.externalAttr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE);
    }
    if (isDir) attr |= FILE_ATTRIBUTE_DIRECTORY;
    else attr |= FILE_ATTRIBUTE_ARCHIVE;
    ze->attr = attr;
    FILETIME local;
    if (DosDateTimeToFileTime(e.dosDate, e.dosTime, &local)) LocalFileTimeToFileTime(&local, &ze->mtime);
    ze->atime = ze->mtime;
    ze->ctime = ze->mtime;
    ze->comp_size = static_cast<long>(e.compSize);
    ze->unc_size = static_cast<long>(e.uncSize);
    return ZR_OK;
}

ZRESULT CUIZip::Find(LPCTSTR name, bool ignoreCase, int* index, ZIPENTRY* ze) const
{
    if (index != nullptr) *index = -1;
    if (ze != nullptr) {
        std::memset(ze, 0, sizeof(*ze));
        ze->index = -1;
    }
    if (name == nullptr) return ZR_ARGS;
    char utf8[MAX_PATH];
    int n = WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, MAX_PATH, nullptr, nullptr);
    // n counts the terminator; names of 256 bytes or more are never found.
    if (n <= 0 || n - 1 >= 256) return ZR_NOTFOUND;
    size_t length = static_cast<size_t>(n - 1);
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (!EqualNames(m_entries[i].utf8Name, utf8, length, ignoreCase)) continue;
        if (!m_entries[i].plausible) return ZR_CORRUPT;
        if (index != nullptr) *index = static_cast<int>(i);
        if (ze != nullptr) GetItem(static_cast<int>(i), ze);
        return ZR_OK;
    }
    return ZR_NOTFOUND;
}

ZRESULT CUIZip::BeginExtraction(int index)
{
    m_extraction.reset();
    const Entry& e = m_entries[static_cast<size_t>(index)];
    if (!e.plausible) return ZR_CORRUPT;
    BYTE header[kLocalHeaderSize];
    ULONGLONG local = static_cast<ULONGLONG>(m_base) + e.localOffset;
    if (!m_source->ReadAt(local, header, kLocalHeaderSize)) return ZR_CORRUPT;
    if (Get32(header) != kLocalHeaderSig) return ZR_CORRUPT;
    ULONGLONG dataStart = local + kLocalHeaderSize + Get16(header + 26) + Get16(header + 28);
    if (dataStart + e.compSize > m_source->Size()) return ZR_CORRUPT;
    if ((e.flags & kFlagEncrypted) && m_password.empty()) return ZR_PASSWORD;
    try {
        m_extraction.reset(new Extraction(index, e, dataStart, e.compSize, m_password));
    } catch (const std::bad_alloc&) {
        return ZR_NOALLOC;
    }
    ZRESULT r = m_extraction->Start(*m_source);
    if (r != ZR_OK) m_extraction.reset();
    return r;
}

ZRESULT CUIZip::Unzip(int index, void* dst, unsigned int len)
{
    if (index < 0 || index >= GetCount() || (dst == nullptr && len > 0)) return ZR_ARGS;
    if (!m_extraction || m_extraction->Index() != index) {
        ZRESULT r = BeginExtraction(index);
        if (r != ZR_OK) return r;
    }
    ZRESULT r = m_extraction->Read(*m_source, static_cast<BYTE*>(dst), len);
    if (r != ZR_MORE) m_extraction.reset();
    return r;
}

} // namespace Veneer
