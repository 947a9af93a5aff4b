// Variable references ("${NAME}") inside configuration values: which texts hold them, which of
// them need the chosen VM, and their expansion.
#pragma once

#include <string>

class Properties;

class PropertyValueVariables {
public:
    // Reads every value from `properties` at the moment a reference is expanded; `properties`
    // must outlive this object.
    explicit PropertyValueVariables(const Properties& properties);
    virtual ~PropertyValueVariables() = default;

    // True when `text` holds "${" and a "}" somewhere after it.
    bool containsVariables(const std::wstring& text) const;

    // True when a reference of `text`, its name trimmed at both ends, is "FOUND_JAVA_HOME": the
    // entry can be expanded only after the VM has been chosen. Reports its own failures.
    bool containsLateVariables(const std::wstring& text) const;

    // Replaces every reference of `text`, left to right, by its value and returns `text`. Values
    // are inserted verbatim, never expanded again; an opener without a closer stays as it is.
    // Reports its own failures.
    std::wstring& resolveVariables(std::wstring& text) const;

    // The value of `reference`, the text from "${" up to, not including, the closing "}" (only
    // trailing white space removed). Unknown names give empty text. Reports its own failures.
    std::wstring getVariableValue(const std::wstring& reference) const;

private:
    const Properties& m_properties;
};
