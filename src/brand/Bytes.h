// The little-endian fields of binary structures: reading with bounds checks, so that a hostile file
// is refused instead of read past its end, and writing into buffers of our own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Read-only view of a region of bytes whose reads all check their bounds.
class ByteView {
public:
    // `region` names the bytes in the message of a failed read ("the file", "the version resource").
    ByteView(std::string_view bytes, const wchar_t* region) : m_bytes(bytes), m_region(region) {}

    std::size_t size() const { return m_bytes.size(); }

    // The field at `offset`; throws BrandError ("... is damaged ...") when it reaches past the end.
    std::uint8_t u8(std::size_t offset) const;
    std::uint16_t u16(std::size_t offset) const;
    std::uint32_t u32(std::size_t offset) const;

    // The `count` bytes at `offset`; throws BrandError when they reach past the end.
    std::string_view bytes(std::size_t offset, std::size_t count) const;

private:
    void require(std::size_t offset, std::size_t count) const;

    std::string_view m_bytes;
    const wchar_t* m_region;
};

// Writes `value` at `offset` of `bytes`, which must hold the field already.
void putU16(std::string& bytes, std::size_t offset, std::uint16_t value);
void putU32(std::string& bytes, std::size_t offset, std::uint32_t value);

// Appends `value` to `bytes`.
void appendU16(std::string& bytes, std::uint16_t value);
void appendU32(std::string& bytes, std::uint32_t value);

// Appends zeros until the size of `bytes` is a multiple of `alignment` (a power of two).
void padTo(std::string& bytes, std::size_t alignment);

// `value` rounded up to a multiple of `alignment` (a power of two).
inline std::uint64_t alignUp(std::uint64_t value, std::uint64_t alignment) {
    return (value + alignment - 1) & ~(alignment - 1);
}
