// Conversions between the launcher's wide text and the encodings of the edges: UTF-8 for POSIX
// calls and the Java VM, UTF-16 for the VM's strings, modified UTF-8 for the names JNI takes. Wide text is UTF-16 on Windows and UTF-32
// on Linux.
#pragma once

#include <string>

// UTF-8 of `text` (a lone surrogate, or a value beyond Unicode, becomes U+FFFD).
std::string toUtf8(const std::wstring& text);

// Wide text from UTF-8 (each byte that starts no valid sequence becomes U+FFFD).
std::wstring fromUtf8(const std::string& text);

// Wide text from UTF-16 code units (an unpaired surrogate becomes U+FFFD).
std::wstring fromUtf16(const std::u16string& units);

// UTF-16 code units of `text`, for the Java VM's strings. On Windows these are the units of
// `text` as they are, unpaired surrogates too; on Linux, where wide text is UTF-32 and a
// surrogate value is no character, such a value (or one beyond Unicode) becomes U+FFFD.
std::u16string toUtf16(const std::wstring& text);

// JNI's modified UTF-8 of `text`, for the names of classes and methods: UTF-8, except that U+0000
// is the two bytes C0 80 and a character beyond U+FFFF is its two UTF-16 surrogates, three bytes
// each. An unpaired surrogate is kept on Windows, three bytes as any other unit (U+D800 is
// ED A0 80), as Java's own strings hold it; on Linux, where wide text is UTF-32, a surrogate value
// is no character and becomes U+FFFD, as does a value beyond Unicode.
std::string toModifiedUtf8(const std::wstring& text);
