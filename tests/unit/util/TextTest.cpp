// The text helpers: trimming, flags and numbers read from text, UTF conversions, ASCII case and affixes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/TextEncoding.h"
#include "util/Text.h"

namespace {

TEST(Trim, RemovesOnlySpacesTabsAndLineFeedsAtBothEnds) {
    const struct {
        std::wstring text;
        std::wstring trimmed;
    } cases[] = {
        {L"  a b \t", L"a b"},
        {L"\n\ta\n", L"a"},
        {L"\ra\r", L"\ra\r"},
        {L"\u00a0a", L"\u00a0a"},
        {L" \t\n ", L""},
        {L"", L""},
        {L"x", L"x"},
    };
    for (const auto& c : cases) {
        std::wstring text = c.text;
        trim(text);
        EXPECT_EQ(toUtf8(text), toUtf8(c.trimmed)) << toUtf8(c.text);
    }
}

TEST(ToBool, IsTrueOnlyForTextsBeginningWithTOrY) {
    const struct {
        std::wstring text;
        bool value;
    } cases[] = {
        {L"true", true}, {L"Yes", true}, {L"  y  ", true}, {L"T", true}, {L"tx", true},
        {L"1", false},   {L"on", false}, {L"", false},      {L" ", false}, {L"false", false},
        {L"\ry", false},
    };
    for (const auto& c : cases) EXPECT_EQ(toBool(c.text), c.value) << toUtf8(c.text);
}

TEST(ToNumber, ReadsTheLeadingNumberAsAStreamExtractsADouble) {
    const struct {
        std::wstring text;
        double value;
    } cases[] = {
        {L"50", 50},        {L"12.5", 12.5},  {L"50%", 50},     {L"  \r\n7", 7},   {L"+3", 3},
        {L"-5", -5},        {L".5", 0.5},     {L"5.", 5},       {L"1e2", 100},     {L"1E+2x", 100},
        {L"2e-1", 0.2},     {L"0x10", 0},     {L"1.2.3", 1.2},  {L"007", 7},       {L"abc", -1},
        {L"", -1},          {L".", -1},       {L"-", -1},       {L"1e", -1},       {L"1e+", -1},
        {L"inf", -1},       {L"nan", -1},     {L"1e999", -1},   {L"\u00a05", -1},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(toNumber(c.text), c.value) << toUtf8(c.text);
}

TEST(ToNumber, RoundsToTheNearestDoubleTiesToEvenAsStrtodDoes) {
    // 1 + 2^-53, exactly halfway between 1 and the next double.
    const std::wstring half = L"1.00000000000000011102230246251565404236316680908203125";
    const struct {
        std::wstring text;
        double value;
    } cases[] = {
        {L"0.1", 0x1.999999999999ap-4},
        {L"9007199254740993", 0x1p53},
        {L"9007199254740995", 0x1.0000000000002p53},
        {half, 1},
        {half + L"000000001", 0x1.0000000000001p0},
        {L"1.00000000000000011102230246251565404236316680908203124999", 1},
        // A digit far beyond the 800 kept still lifts a tie.
        {half + std::wstring(800, L'0') + L"1", 0x1.0000000000001p0},
        {L"0." + std::wstring(400, L'0') + L"1e401", 1},
        {L"4.9406564584124654e-324", 0x1p-1074},
        {L"2.4703282292062327e-324", 0},
        {L"2.4703282292062328e-324", 0x1p-1074},
        {L"2.2250738585072011e-308", 0x0.fffffffffffffp-1022},
        {L"2.2250738585072014e-308", 0x1p-1022},
        {L"1e-400", 0},
        {L"-0", -0.0},
        {L"1.7976931348623157e308", 0x1.fffffffffffffp1023},
        {L"1.7976931348623158e308", 0x1.fffffffffffffp1023},
        {L"1.7976931348623159e308", -1},
        {L"-1.7976931348623159e308", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(toNumber(c.text), c.value) << toUtf8(c.text);
}

TEST(Utf8, EncodesAndDecodesEveryPlane) {
    const std::wstring text = L"a\u00e9\u20ac" + std::wstring(sizeof(wchar_t) == 2 ? L"\xD83D\xDE00" : L"\U0001F600");
    const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(toUtf8(text), utf8);
    EXPECT_EQ(fromUtf8(utf8), text);
    EXPECT_EQ(toUtf16(text), u"a\u00e9\u20ac\U0001F600");
}

TEST(Utf8, ReplacesWhatCannotBeConverted) {
    EXPECT_EQ(toUtf8(std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x"), "\xEF\xBF\xBDx");
    // Wide text of 32-bit units holds characters, not surrogate pairs: a pair is two lone halves.
    if (sizeof(wchar_t) == 4) {
        const std::wstring halves{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
        EXPECT_EQ(toUtf8(halves), "\xEF\xBF\xBD\xEF\xBF\xBD");
        EXPECT_EQ(toUtf16(halves), u"\uFFFD\uFFFD");
    }
    EXPECT_EQ(fromUtf8("\xC0\xAFx"), L"\uFFFD\uFFFDx");
    EXPECT_EQ(fromUtf8("\xE2\x82"), L"\uFFFD\uFFFD");
}

TEST(Utf16, KeepsUnpairedSurrogatesOfUtf16WideTextAndReplacesSurrogateValuesOfUtf32) {
    const std::wstring text = {L'a', static_cast<wchar_t>(0xD800), L'b', static_cast<wchar_t>(0xDC00)};
    const char16_t high = sizeof(wchar_t) == 2 ? 0xD800 : 0xFFFD;
    const char16_t low = sizeof(wchar_t) == 2 ? 0xDC00 : 0xFFFD;
    const std::u16string units = {u'a', high, u'b', low};
    EXPECT_EQ(toUtf16(text), units);
}

TEST(Utf16, DecodesPairsIntoCharactersAndUnpairedSurrogatesIntoReplacements) {
    EXPECT_EQ(fromUtf16(u"a\u00e9\u4e2d\U0001F600"), L"a\u00e9\u4e2d\U0001F600");
    const std::u16string unpaired = {u'a', 0xDC00, 0xD800, u'b', 0xD800};
    EXPECT_EQ(fromUtf16(unpaired), L"a\uFFFD\uFFFDb\uFFFD");
}

TEST(ModifiedUtf8, EncodesNulAsTwoBytesAndSupplementaryCharactersAsSurrogates) {
    const std::wstring text = std::wstring(L"a\0\u00e9\u4e2d", 4) + L"\U0001D400";
    EXPECT_EQ(toModifiedUtf8(text), std::string("a\xC0\x80\xC3\xA9\xE4\xB8\xAD\xED\xA0\xB5\xED\xB0\x80"));
    // A lone surrogate is a unit of Windows's UTF-16 wide text, but no character of Linux's UTF-32.
    EXPECT_EQ(toModifiedUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), sizeof(wchar_t) == 2 ? "\xED\xA0\x80" : "\xEF\xBF\xBD");
}

TEST(Utf8, ReplacesBytesThatCanLeadNoSequence) {
    // F5 to FF would encode values beyond Unicode (or nothing); decoding them as three-byte
    // sequences would turn invalid input into ordinary characters.
    EXPECT_EQ(fromUtf8("\xF8\x88\x80x"), L"\uFFFD\uFFFD\uFFFDx");
    EXPECT_EQ(fromUtf8("\xF5\x80\x80\x80"), L"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(fromUtf8("\xFF\xFE"), L"\uFFFD\uFFFD");
    EXPECT_EQ(fromUtf8("\xF4\x8F\xBF\xBF"), std::wstring(sizeof(wchar_t) == 2 ? L"\xDBFF\xDFFF" : L"\U0010FFFF"));
}

TEST(AsciiCase, ChangesOnlyAsciiLetters) {
    EXPECT_EQ(toLowerAscii(L"C:\\Java\\JRE\u00c9"), L"c:\\java\\jre\u00c9");
    EXPECT_EQ(toUpperAscii(L".exe\u00e9"), L".EXE\u00e9");
}

TEST(Affixes, CompareExactly) {
    EXPECT_TRUE(startsWith(L"-Djava.class.path=a", L"-Djava.class.path"));
    EXPECT_FALSE(startsWith(L"-Djava", L"-Djava.class.path"));
    EXPECT_FALSE(startsWith(L"-DJava.class.path", L"-Djava.class.path"));
    EXPECT_TRUE(endsWith(L"a.jar", L".jar"));
    EXPECT_FALSE(endsWith(L"jar", L".jar"));
}

TEST(ToDecimal, WritesPlainDigits) {
    EXPECT_EQ(toDecimal(0), L"0");
    EXPECT_EQ(toDecimal(2147483647), L"2147483647");
    EXPECT_EQ(toDecimal(18446744073709551615ull), L"18446744073709551615");
}

TEST(ReplaceAll, ReplacesEveryOccurrence) {
    std::wstring name = L"com.acme.Main";
    replaceAll(name, L'.', L'/');
    EXPECT_EQ(name, L"com/acme/Main");
}

}  // namespace
