// Bounds-checked little-endian reads, and writes into buffers of our own.
#include "brand/Bytes.h"

#include "brand/BrandError.h"

std::uint8_t ByteView::u8(std::size_t offset) const {
    require(offset, 1);
    return static_cast<std::uint8_t>(m_bytes[offset]);
}

std::uint16_t ByteView::u16(std::size_t offset) const {
    require(offset, 2);
    return static_cast<std::uint16_t>(u8(offset) | u8(offset + 1) << 8);
}

std::uint32_t ByteView::u32(std::size_t offset) const {
    require(offset, 4);
    return std::uint32_t{u16(offset)} | std::uint32_t{u16(offset + 2)} << 16;
}

std::string_view ByteView::bytes(std::size_t offset, std::size_t count) const {
    require(offset, count);
    return m_bytes.substr(offset, count);
}

void ByteView::require(std::size_t offset, std::size_t count) const {
    // Written so that no sum can overflow, whatever the offsets a file claims.
    if (count > m_bytes.size() || offset > m_bytes.size() - count) {
        throw BrandError{std::wstring(m_region) + L" is damaged (a structure reaches past its end)."};
    }
}

void putU16(std::string& bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

void putU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    putU16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
    putU16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

void appendU16(std::string& bytes, std::uint16_t value) {
    bytes.append(2, '\0');
    putU16(bytes, bytes.size() - 2, value);
}

void appendU32(std::string& bytes, std::uint32_t value) {
    bytes.append(4, '\0');
    putU32(bytes, bytes.size() - 4, value);
}

void padTo(std::string& bytes, std::size_t alignment) {
    bytes.resize(alignUp(bytes.size(), alignment), '\0');
}
