#pragma once
// Little-endian access to byte buffers. Every read outside the buffer yields 0, so a
// damaged or short file can never lead a reader past its data.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace bytes {

inline uint32_t ReadUInt32(std::span<const uint8_t> b, size_t offset)
{
    if (offset > b.size() || b.size() - offset < 4)
        return 0;
    return uint32_t(b[offset]) | uint32_t(b[offset + 1]) << 8 | uint32_t(b[offset + 2]) << 16 |
           uint32_t(b[offset + 3]) << 24;
}

inline int32_t ReadInt32(std::span<const uint8_t> b, size_t offset)
{
    return static_cast<int32_t>(ReadUInt32(b, offset));
}

inline int16_t ReadInt16(std::span<const uint8_t> b, size_t offset)
{
    if (offset > b.size() || b.size() - offset < 2)
        return 0;
    return static_cast<int16_t>(uint16_t(b[offset]) | uint16_t(b[offset + 1]) << 8);
}

inline double ReadDouble(std::span<const uint8_t> b, size_t offset)
{
    const uint64_t low = ReadUInt32(b, offset);
    const uint64_t high = ReadUInt32(b, offset + 4);
    return std::bit_cast<double>(low | high << 32);
}

inline void WriteUInt32(std::span<uint8_t> b, size_t offset, uint32_t v)
{
    if (offset > b.size() || b.size() - offset < 4)
        return;
    for (int i = 0; i < 4; ++i)
        b[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void WriteInt32(std::span<uint8_t> b, size_t offset, int32_t v)
{
    WriteUInt32(b, offset, static_cast<uint32_t>(v));
}

inline void WriteInt16(std::span<uint8_t> b, size_t offset, int16_t v)
{
    if (offset > b.size() || b.size() - offset < 2)
        return;
    b[offset] = static_cast<uint8_t>(v);
    b[offset + 1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
}

inline void WriteDouble(std::span<uint8_t> b, size_t offset, double v)
{
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    WriteUInt32(b, offset, static_cast<uint32_t>(bits));
    WriteUInt32(b, offset + 4, static_cast<uint32_t>(bits >> 32));
}

} // namespace bytes
