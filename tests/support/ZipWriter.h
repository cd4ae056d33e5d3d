// A small zip writer (stored, deflated, traditional encryption) for fixtures, so no binary archive is committed.
#pragma once

#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

typedef std::vector<unsigned char> Bytes;

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline std::string Utf8(const std::wstring& w)
{
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// Deterministic filler that deflate cannot shrink much.
inline Bytes NoiseBytes(size_t n, uint32_t seed)
{
    Bytes out(n);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = static_cast<unsigned char>(x);
    }
    return out;
}

class ZipWriter
{
public:
    enum Method { Stored = 0, Deflated = 8 };

    struct Entry
    {
        std::string name;   // raw bytes as stored in the archive (UTF-8)
        Bytes data;
        Method method;
        std::string password;
    };

    void Add(const std::string& name, const Bytes& data, Method method = Deflated, const std::string& password = "")
    {
        m_entries.push_back(Entry{name, data, method, password});
    }
    void Add(const std::string& name, const std::string& text, Method method = Deflated,
             const std::string& password = "")
    {
        Add(name, ToBytes(text), method, password);
    }

    Bytes Build() const
    {
        Bytes out;
        std::vector<Record> records;
        for (const Entry& e : m_entries) {
            Record r;
            r.offset = static_cast<uint32_t>(out.size());
            r.crc = static_cast<uint32_t>(crc32(0, e.data.data(), static_cast<uInt>(e.data.size())));
            Bytes payload = e.method == Deflated ? Deflate(e.data) : e.data;
            r.flags = e.password.empty() ? 0 : 1;
            if (!e.password.empty()) payload = Encrypt(payload, e.password, r.crc);
            r.comp = static_cast<uint32_t>(payload.size());
            r.unc = static_cast<uint32_t>(e.data.size());
            r.method = static_cast<uint16_t>(e.method);
            Put32(out, 0x04034b50);
            Put16(out, 20);
            Put16(out, r.flags);
            Put16(out, r.method);
            Put16(out, 0x6000);   // 12:00
            Put16(out, 0x5A21);   // 2025-01-01
            Put32(out, r.crc);
            Put32(out, r.comp);
            Put32(out, r.unc);
            Put16(out, static_cast<uint16_t>(e.name.size()));
            Put16(out, 0);
            out.insert(out.end(), e.name.begin(), e.name.end());
            out.insert(out.end(), payload.begin(), payload.end());
            records.push_back(r);
        }
        uint32_t dirStart = static_cast<uint32_t>(out.size());
        for (size_t i = 0; i < m_entries.size(); ++i) {
            const Entry& e = m_entries[i];
            const Record& r = records[i];
            Put32(out, 0x02014b50);
            Put16(out, 20);
            Put16(out, 20);
            Put16(out, r.flags);
            Put16(out, r.method);
            Put16(out, 0x6000);
            Put16(out, 0x5A21);
            Put32(out, r.crc);
            Put32(out, r.comp);
            Put32(out, r.unc);
            Put16(out, static_cast<uint16_t>(e.name.size()));
            Put16(out, 0);
            Put16(out, 0);
            Put16(out, 0);
            Put16(out, 0);
            Put32(out, 0x20);
            Put32(out, r.offset);
            out.insert(out.end(), e.name.begin(), e.name.end());
        }
        uint32_t dirSize = static_cast<uint32_t>(out.size()) - dirStart;
        Put32(out, 0x06054b50);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, static_cast<uint16_t>(m_entries.size()));
        Put16(out, static_cast<uint16_t>(m_entries.size()));
        Put32(out, dirSize);
        Put32(out, dirStart);
        Put16(out, 0);
        return out;
    }

    static Bytes Deflate(const Bytes& data)
    {
        z_stream s = {};
        deflateInit2(&s, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        Bytes out(deflateBound(&s, static_cast<uLong>(data.size())) + 16);
        s.next_in = const_cast<Bytef*>(data.data());
        s.avail_in = static_cast<uInt>(data.size());
        s.next_out = out.data();
        s.avail_out = static_cast<uInt>(out.size());
        deflate(&s, Z_FINISH);
        out.resize(s.total_out);
        deflateEnd(&s);
        return out;
    }

private:
    struct Record
    {
        uint32_t offset, crc, comp, unc;
        uint16_t flags, method;
    };

    static void Put16(Bytes& b, uint16_t v)
    {
        b.push_back(static_cast<unsigned char>(v));
        b.push_back(static_cast<unsigned char>(v >> 8));
    }
    static void Put32(Bytes& b, uint32_t v)
    {
        Put16(b, static_cast<uint16_t>(v));
        Put16(b, static_cast<uint16_t>(v >> 16));
    }

    struct Keys
    {
        uint32_t k[3] = {0x12345678, 0x23456789, 0x34567890};
        static uint32_t Crc(uint32_t c, unsigned char b) { return get_crc_table()[(c ^ b) & 0xFF] ^ (c >> 8); }
        void Update(unsigned char c)
        {
            k[0] = Crc(k[0], c);
            k[1] = (k[1] + (k[0] & 0xFF)) * 134775813 + 1;
            k[2] = Crc(k[2], static_cast<unsigned char>(k[1] >> 24));
        }
        unsigned char Stream() const
        {
            uint16_t t = static_cast<uint16_t>((k[2] & 0xFFFF) | 2);
            return static_cast<unsigned char>((t * (t ^ 1)) >> 8);
        }
        unsigned char Encrypt(unsigned char plain)
        {
            unsigned char c = static_cast<unsigned char>(plain ^ Stream());
            Update(plain);
            return c;
        }
    };

    static Bytes Encrypt(const Bytes& payload, const std::string& password, uint32_t crc)
    {
        Keys keys;
        for (unsigned char c : password) keys.Update(c);
        Bytes header = NoiseBytes(12, crc);
        header[11] = static_cast<unsigned char>(crc >> 24);
        Bytes out;
        for (unsigned char c : header) out.push_back(keys.Encrypt(c));
        for (unsigned char c : payload) out.push_back(keys.Encrypt(c));
        return out;
    }

    std::vector<Entry> m_entries;
};

} // namespace test_support
