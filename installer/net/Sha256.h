#pragma once
// Incremental SHA-256, used to check the downloaded package against the digest the vendor publishes
// and to make sure the file that is run is the file that was downloaded.
#include <cstddef>
#include <cstdint>
#include <string>

class CSha256
{
public:
    CSha256() { Reset(); }
    void Reset();
    void Update(const void* data, size_t size);
    // Lower-case hexadecimal digest (64 characters); ends this computation (call Reset to start again).
    std::string FinishHex();

    static std::string HexOf(const void* data, size_t size);

private:
    void Compress(const uint8_t* block);

    uint32_t m_state[8];
    uint8_t m_buffer[64];
    size_t m_nBuffered;
    uint64_t m_nTotalBytes;
};
