// The init arguments in a code page the test chooses: options that fit, short names for paths that
// do not, late properties for values that still do not, and the message for any other option.
#include "launcher/VmInitArgs.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/PathConventions.h"
#include "platform/TextEncoding.h"
#include "report/ErrorReport.h"

namespace {

using Lines = std::vector<std::string>;

const std::wstring kListSeparator(1, platform::kPathListSeparator);

// The characters these tests use beyond ASCII, as code pages 1252 and 936 hold them (null: not at all).
std::optional<std::string> inCodePage(wchar_t c, unsigned codePage) {
    if (c < 0x80) return std::string(1, static_cast<char>(c));
    static const struct {
        wchar_t c;
        const char* in1252;
        const char* in936;
    } table[] = {
        {L'\u00e9', "\xE9", "\xA8\xA6"},
        {L'\u00df', "\xDF", nullptr},
        {L'\u4e2d', nullptr, "\xD6\xD0"},
        {L'\u6587', nullptr, "\xCE\xC4"},
    };
    for (const auto& entry : table) {
        const char* bytes = codePage == 1252 ? entry.in1252 : entry.in936;
        if (entry.c == c) return bytes ? std::optional<std::string>(bytes) : std::nullopt;
    }
    return std::nullopt;
}

// The encoding of code page 1252 or 936, with short names only for the paths in `shortNames`.
VmTextEncoding encodingOf(unsigned codePage, std::map<std::wstring, std::wstring> shortNames = {}) {
    const auto encode = [codePage](const std::wstring& text) -> std::optional<std::string> {
        std::string narrow;
        for (const wchar_t c : text) {
            const std::optional<std::string> bytes = inCodePage(c, codePage);
            if (!bytes) return std::nullopt;
            narrow += *bytes;
        }
        return narrow;
    };
    const auto shortPath = [shortNames](const std::wstring& path) -> std::optional<std::wstring> {
        const auto found = shortNames.find(path);
        if (found == shortNames.end()) return std::nullopt;
        return found->second;
    };
    return {encode, shortPath};
}

Lines optionsOf(VmInitArgs& initArgs) {
    const JavaVMInitArgs& args = *initArgs.get();
    Lines options;
    for (jint i = 0; i < args.nOptions; ++i) options.push_back(args.options[i].optionString);
    return options;
}

Lines latePropertiesOf(const VmInitArgs& initArgs) {
    Lines properties;
    for (const SystemProperty& property : initArgs.lateProperties()) properties.push_back(toUtf8(property.name + L"=" + property.value));
    return properties;
}

TEST(VmInitArgs, PassesOptionsInTheCodePageWithShortNamesOrLatePropertiesWhereTheyDoNotFit) {
    const std::wstring zhong = L"apps\\\u4e2d";
    const std::wstring list = zhong + L"\\a.jar" + kListSeparator + kListSeparator + L"b.jar";
    const std::map<std::wstring, std::wstring> shortNames = {{zhong, L"apps\\4E2D~1"}, {zhong + L"\\a.jar", L"apps\\4E2D~1\\a.jar"}};
    const struct {
        const char* name;
        VmTextEncoding encoding;
        std::wstring option;
        Lines options;
        Lines lateProperties;
    } cases[] = {
        {"fits 1252", encodingOf(1252), L"-Dhome=apps\\Jos\u00e9", {"-Dhome=apps\\Jos\xE9"}, {}},
        {"fits 936", encodingOf(936), L"-Dhome=apps\\Jos\u00e9\\\u4e2d", {"-Dhome=apps\\Jos\xA8\xA6\\\xD6\xD0"}, {}},
        {"fits, short name unused", encodingOf(936, shortNames), L"-Dhome=" + zhong, {"-Dhome=apps\\\xD6\xD0"}, {}},
        {"short value", encodingOf(1252, shortNames), L"-Dhome=" + zhong, {"-Dhome=apps\\4E2D~1"}, {}},
        {"no short value", encodingOf(1252), L"-Dhome=" + zhong, {}, {"home=apps\\\xE4\xB8\xAD"}},
        {"text value", encodingOf(1252, shortNames), L"-Dtitle=\u4e2d\u6587", {}, {"title=\xE4\xB8\xAD\xE6\x96\x87"}},
        {"936 lacks sharp s", encodingOf(936), L"-Dstreet=Stra\u00dfe", {}, {"street=Stra\xC3\x9F" "e"}},
        {"name", encodingOf(1252, shortNames), L"-D\u4e2d=apps\\\u4e2d", {}, {"\xE4\xB8\xAD=apps\\\xE4\xB8\xAD"}},
        {"name alone", encodingOf(1252), L"-D\u4e2d", {}, {"\xE4\xB8\xAD="}},
        {"class path entries", encodingOf(1252, shortNames), L"-Djava.class.path=" + list,
         {"-Djava.class.path=apps\\4E2D~1\\a.jar" + toUtf8(kListSeparator + kListSeparator) + "b.jar"}, {}},
        {"library path entries", encodingOf(1252, shortNames), L"-Djava.library.path=" + zhong + kListSeparator,
         {"-Djava.library.path=apps\\4E2D~1" + toUtf8(kListSeparator)}, {}},
        {"other list", encodingOf(1252, shortNames), L"-Dplugins=" + list, {}, {"plugins=" + toUtf8(list)}},
        {"class path entry without short name", encodingOf(1252, shortNames), L"-Djava.class.path=" + zhong + L"\\b.jar",
         {}, {"java.class.path=apps\\\xE4\xB8\xAD\\b.jar"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VmInitArgs initArgs({L"-Xss4m", c.option, L"-Dlast=1"}, c.encoding);
        Lines expected = {"-Xss4m"};
        expected.insert(expected.end(), c.options.begin(), c.options.end());
        expected.push_back("-Dlast=1");
        EXPECT_EQ(optionsOf(initArgs), expected);
        EXPECT_EQ(latePropertiesOf(initArgs), c.lateProperties);
    }
}

TEST(VmInitArgs, RefusesAnyOtherOptionThatDoesNotFitNamingItAndItsCharacters) {
    const std::wstring agent = L"-javaagent:apps\\\u4e2d\u6587\\\u4e2d\\agent.jar";
    const std::map<std::wstring, std::wstring> shortNames = {{L"apps\\\u4e2d\u6587\\\u4e2d\\agent.jar", L"apps\\4E2D~1\\4E2D~1\\agent.jar"}};
    try {
        VmInitArgs initArgs({L"-Xss4m", agent}, encodingOf(1252, shortNames));
        ADD_FAILURE() << "no failure";
    } catch (const LaunchError& error) {
        EXPECT_EQ(toUtf8(error.message),
                  toUtf8(L"Windows cannot pass the option " + agent +
                         L" to the Java VM in the system's code page, which lacks the characters \"\u4e2d\u6587\". Please use a "
                         L"folder name without these characters."));
    }
}

TEST(EncodeFileName, GivesTheShortNameWhereTheLongOneDoesNotFit) {
    const VmTextEncoding encoding = encodingOf(1252, {{L"\u4e2d\\splash.png", L"4E2D~1\\splash.png"}});
    EXPECT_EQ(encodeFileName(L"Jos\u00e9\\splash.png", encoding), "Jos\xE9\\splash.png");
    EXPECT_EQ(encodeFileName(L"\u4e2d\\splash.png", encoding), "4E2D~1\\splash.png");
    EXPECT_EQ(encodeFileName(L"\u4e2d\\other.png", encoding), std::nullopt);
}

}  // namespace
