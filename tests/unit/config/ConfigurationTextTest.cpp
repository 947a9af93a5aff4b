// The configuration file's text: byte decoding, logical lines and the name/value split.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "config/ConfigurationText.h"
#include "platform/TextEncoding.h"
#include "report/ErrorReport.h"

namespace {

using namespace std::string_literals;

using Entries = std::vector<std::pair<int, std::wstring>>;

Entries entriesOf(const std::string& bytes) {
    Entries entries;
    for (const PropertyFileEntry& entry : readEntries(decodeTextMode(bytes), L"tool.lap")) {
        entries.emplace_back(entry.getLineNumber(), entry.getLine());
    }
    return entries;
}

// The message with which reading `bytes` as the file "tool.lap" fails.
std::wstring readFailure(const std::string& bytes) {
    try {
        readEntries(decodeTextMode(bytes), L"tool.lap");
    } catch (const LaunchError& error) {
        return error.message;
    }
    return L"(no failure)";
}

TEST(DecodeTextMode, ReadsBytesAsTheWindowsTextModeDoes) {
    const struct {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"", L""},
        {"a\r\nb\r\n", L"a\nb\n"},
        {"a\rb\r", L"a\rb\r"},
        {"a\r\r\nb", L"a\r\nb"},
        {"ab\x1A" "cd\n", L"ab"},
        {"\x1A" "ab", L""},
        {"a\r\x1A\nb", L"a\r"},
        {"\xE9\x80\xFF", L"\u00e9\u0080\u00ff"},
        {"\xEF\xBB\xBFk=v", L"\u00ef\u00bb\u00bfk=v"},
        {"a\0b"s, L"a\0b"s},
    };
    for (const auto& c : cases) EXPECT_EQ(decodeTextMode(c.bytes), c.text) << c.bytes;
}

TEST(DecodeUtf8TextMode, ReadsValidUtf8AsUtf8AndAnythingElseAsEightBitText) {
    const struct {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"-Dapp.name=Zo\xC3\xAB\r\n", L"-Dapp.name=Zo\u00eb\n"},
        {"caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80", L"caf\u00e9 \u4e2d \U0001F600"},
        {"\xEF\xBB\xBFk=v", L"\ufeffk=v"},
        {"a\r\nb\x1A\xFF", L"a\nb"},                      // the invalid byte lies beyond the end
        {"Zo\xC3\xAB \xE9", L"Zo\u00c3\u00ab \u00e9"},  // one Latin-1 byte makes all 8-bit
        {"\xC0\xAF", L"\u00c0\u00af"},                      // overlong
        {"\xED\xA0\x80", L"\u00ed\u00a0\u0080"},           // a surrogate
        {"\xE4\xB8", L"\u00e4\u00b8"},                      // cut short
    };
    for (const auto& c : cases) EXPECT_EQ(toUtf8(decodeUtf8TextMode(c.bytes)), toUtf8(c.text)) << c.bytes;
}

TEST(DecodeConfigurationText, ReadsTheEncodingsEditorsSaveOnEverySystem) {
    const struct {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"Zo\xC3\xAB", L"Zo\u00eb"},
        {"Z\xFCrich", L"Z\u00fcrich"},
        {"\xEF\xBB\xBFk=Z\xC3\xBCrich\r\n", L"k=Z\u00fcrich\n"},
        {"\xEF\xBB\xBFk=Z\xFCrich", L"k=Z\u00fcrich"},
        {"\xFF\xFEk\0=\0\x2D\x4E\r\0\n\0\x3D\xD8\x00\xDE\x1A\0x\0"s, L"k=\u4e2d\n\U0001F600"},
        {"\xFE\xFF\0k\0=\x4E\x2D\0\r\0\n\0"s, L"k=\u4e2d\n"},
        {"\xFF\xFE\x00\xD8k\0z"s, L"\uFFFDk"},
    };
    for (const auto& c : cases) EXPECT_EQ(toUtf8(decodeConfigurationText(c.bytes)), toUtf8(c.text)) << c.bytes;
}

TEST(ReadEntries, JoinsPhysicalLinesIntoNumberedLogicalLines) {
    const struct {
        const char* what;
        std::string bytes;
        Entries entries;
    } cases[] = {
        {"empty file", "", {}},
        {"only blank and comment lines", "# c\n\n   \n\t# x\n \t\n", {}},
        {"comment and blank lines count", "# c\n\nwexal.main.argument=x\n", {{3, L"wexal.main.argument=x"}}},
        {"blanks around the text", "  wexal.main.class = com.example.Main \t\n", {{1, L"wexal.main.class = com.example.Main"}}},
        {"a later # is text", "wexal.splash=a#b\n", {{1, L"wexal.splash=a#b"}}},
        {"comment after leading blanks", "   # wexal.splash=a\nb=1", {{2, L"b=1"}}},
        {"continuation", "wexal.classpath.jars.dir=lib ^\n  ;ext\n", {{1, L"wexal.classpath.jars.dir=lib;ext"}}},
        {"continuation across blank and comment lines", "a=1^\n\n# c\n2\nb=3", {{1, L"a=12"}, {5, L"b=3"}}},
        {"three pieces", "x=^\n1 ^\n 2", {{1, L"x=12"}}},
        {"final mark with line break", "x=1\ny=2^\n", {{1, L"x=1"}, {2, L"y=2"}}},
        {"final mark without line break", "x=1\ny=2^", {{1, L"x=1"}, {2, L"y=2"}}},
        {"final mark before blank and comment lines", "y=2 ^\n\n# c\n\n", {{1, L"y=2"}}},
        {"a line of only the mark", "^\na=1\nb=2", {{1, L"a=1"}, {3, L"b=2"}}},
        {"a mark inside the line", "a=b^c\n", {{1, L"a=b^c"}}},
        {"CR LF line ends", "a=1\r\n\r\nb=2\r\n", {{1, L"a=1"}, {3, L"b=2"}}},
        {"a lone CR stays", "a=1\rb=2\nc=3\r", {{1, L"a=1\rb=2"}, {2, L"c=3\r"}}},
        {"Ctrl-Z ends the file", "a=1\nb=2\x1A\nc=3\n", {{1, L"a=1"}, {2, L"b=2"}}},
        {"NUL ends its line's text", "a=1\0junk\nb=2"s, {{1, L"a=1"}, {2, L"b=2"}}},
        {"NUL at the line's start", "\0a=1\nb=2"s, {{2, L"b=2"}}},
        {"8-bit text", "k=caf\xE9", {{1, L"k=caf\u00e9"}}},
        {"byte-order mark stays in the first line", "\xEF\xBB\xBFwexal.main.class=A\nwexal.splash=s",
         {{1, L"\u00ef\u00bb\u00bfwexal.main.class=A"}, {2, L"wexal.splash=s"}}},
    };
    for (const auto& c : cases) EXPECT_EQ(entriesOf(c.bytes), c.entries) << c.what;
}

TEST(ReadEntries, AcceptsPhysicalLinesOfUpTo4999Characters) {
    const std::string longest(4999, 'x');
    EXPECT_EQ(entriesOf("a=1\n" + longest + "\r\nb=2"), (Entries{{1, L"a=1"}, {2, std::wstring(4999, L'x')}, {3, L"b=2"}}));
    EXPECT_EQ(entriesOf(longest), (Entries{{1, std::wstring(4999, L'x')}}));
}

TEST(ReadEntries, ReportsALongerLineWithItsNumber) {
    const std::wstring message = L"Line 3 of the configuration file tool.lap is longer than 4999 characters.";
    const std::string tooLong(5000, 'x');
    EXPECT_EQ(readFailure("a=1\n# c\n" + tooLong + "\nb=2\n"), message);
    EXPECT_EQ(readFailure("a=1\n\n" + tooLong), message);
    EXPECT_EQ(readFailure("a=1\n\n" + std::string(4999, 'x') + "\r\n"), L"(no failure)");
    // A NUL hides the rest of the line's text, not its length.
    EXPECT_EQ(readFailure("a=1\n\nk=v\0"s + tooLong), message);
    EXPECT_EQ(readFailure("a=1\n\n" + std::string(4999, 'x') + "\r"), message);
}

TEST(PropertyNameAndValue, DivideAtTheFirstEqualsSign) {
    const struct {
        std::wstring text;
        std::wstring name;
        std::wstring value;
    } cases[] = {
        {L"wexal.main.class=com.example.Main", L"wexal.main.class", L"com.example.Main"},
        {L"a=b=c", L"a", L"b=c"},
        {L"=x", L"", L"x"},
        {L"wexal.debug.file", L"wexal.debug.file", L""},
        {L"a=", L"a", L""},
        {L" a b = c d ", L" a b ", L" c d "},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parsePropertyName(c.text), c.name) << toUtf8(c.text);
        EXPECT_EQ(parsePropertyValue(c.text), c.value) << toUtf8(c.text);
    }
}

}  // namespace
