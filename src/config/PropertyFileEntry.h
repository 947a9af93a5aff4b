// One logical line of the configuration file with the number of its first physical line.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

class PropertyFileEntry {
public:
    PropertyFileEntry(std::int32_t lineNumber, std::wstring line)
        : m_lineNumber(lineNumber), m_line(std::move(line)) {}
    virtual ~PropertyFileEntry() = default;
    // Declared, since the virtual destructor would otherwise leave entries copy-only and every
    // growth of the entry list would copy their texts.
    PropertyFileEntry(const PropertyFileEntry&) = default;
    PropertyFileEntry(PropertyFileEntry&&) noexcept = default;
    PropertyFileEntry& operator=(const PropertyFileEntry&) = default;
    PropertyFileEntry& operator=(PropertyFileEntry&&) noexcept = default;

    std::int32_t getLineNumber() const { return m_lineNumber; }
    void setLineNumber(std::int32_t lineNumber) { m_lineNumber = lineNumber; }
    // The stored text itself, so that variable expansion can rewrite it in place.
    std::wstring& getLine() { return m_line; }
    const std::wstring& getLine() const { return m_line; }
    void setLine(const std::wstring& line) { m_line = line; }
    const std::wstring& getValue() const { return m_value; }
    void setValue(const std::wstring& value) { m_value = value; }

private:
    std::int32_t m_lineNumber;
    std::wstring m_line;
    std::wstring m_value;
};
