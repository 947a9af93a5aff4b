// Tells the launcher's own ("custom") configuration entries from the others.
#pragma once

#include <string>

class PropertiesCustom {
public:
    virtual ~PropertiesCustom() = default;

    // True when the raw entry text begins with "wexal" (case-sensitive). Reports any failure with
    // "Error checking if a property is custom.".
    bool isCustom(const std::wstring& text) const;
};
