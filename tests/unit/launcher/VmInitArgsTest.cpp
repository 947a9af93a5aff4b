// The init arguments in a code page the test chooses: options that fit, short names for paths that
// do not, late properties for values that still do not, and the message for any other option.
#include "launcher/vm/VmInitArgs.h"

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
const std::wstring kSeparator(1, platform::kPathSeparator);

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
    const std::wstring absolute = platform::kPathSeparator + zhong;
    const std::wstring list = zhong + L"\\a.jar" + kListSeparator + kListSeparator + L"b.jar";
    const std::map<std::wstring, std::wstring> shortNames = {
        {zhong, L"apps\\4E2D~1"}, {zhong + L"\\a.jar", L"apps\\4E2D~1\\a.jar"}, {absolute, L"\\APPS\\4E2D~1"}, {L"\u4e2d\u6587", L"4E2D~1"}};
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
        {"short value", encodingOf(1252, shortNames), L"-Dhome=" + absolute, {"-Dhome=\\APPS\\4E2D~1"}, {}},
        {"no short value", encodingOf(1252), L"-Dhome=" + absolute, {}, {"home=" + toUtf8(absolute)}},
        {"relative value", encodingOf(1252, shortNames), L"-Dhome=" + zhong, {}, {"home=apps\\\xE4\xB8\xAD"}},
        {"text value beside a folder of its name", encodingOf(1252, shortNames), L"-Dtitle=\u4e2d\u6587", {}, {"title=\xE4\xB8\xAD\xE6\x96\x87"}},
        {"936 lacks sharp s", encodingOf(936), L"-Dstreet=Stra\u00dfe", {}, {"street=Stra\xC3\x9F" "e"}},
        {"name", encodingOf(1252, shortNames), L"-D\u4e2d=apps\\\u4e2d", {}, {"\xE4\xB8\xAD=apps\\\xE4\xB8\xAD"}},
        {"name alone", encodingOf(1252), L"-D\u4e2d", {}, {"\xE4\xB8\xAD="}},
        {"class path entries", encodingOf(1252, shortNames), L"-Djava.class.path=" + list,
         {"-Djava.class.path=apps\\4E2D~1\\a.jar" + toUtf8(kListSeparator + kListSeparator) + "b.jar"}, {}},
        {"library path entries", encodingOf(1252, shortNames), L"-Djava.library.path=" + zhong + kListSeparator,
         {"-Djava.library.path=apps\\4E2D~1" + toUtf8(kListSeparator)}, {}},
        {"other list", encodingOf(1252, shortNames), L"-Dplugins=" + list, {}, {"plugins=" + toUtf8(list)}},
        {"class path entry below a short name", encodingOf(1252, shortNames), L"-Djava.class.path=" + zhong + kSeparator + L"lib" + kSeparator + L"*",
         {"-Djava.class.path=apps\\4E2D~1" + toUtf8(kSeparator) + "lib" + toUtf8(kSeparator) + "*"}, {}},
        {"missing class path entries left out", encodingOf(1252, shortNames),
         L"-Djava.class.path=\u6587.jar" + kListSeparator + zhong + L"\\a.jar" + kListSeparator + L"x\\\u6587",
         {"-Djava.class.path=apps\\4E2D~1\\a.jar"}, {}},
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

TEST(VmInitArgs, NotesTheClassPathEntriesLeftOut) {
    const std::wstring option = L"-Djava.class.path=\u6587.jar" + kListSeparator + L"a.jar" + kListSeparator + L"x\\\u6587";
    VmInitArgs initArgs({option}, encodingOf(1252));
    EXPECT_EQ(optionsOf(initArgs), Lines{"-Djava.class.path=a.jar"});
    const std::wstring note = L"Left out of java.class.path as the system's code page cannot hold it and it does not exist: ";
    EXPECT_EQ(initArgs.notes(), (std::vector<std::wstring>{note + L"\u6587.jar", note + L"x\\\u6587"}));
}

TEST(VmInitArgs, LetsTheLastOptionForAPropertyWin) {
    const struct {
        std::vector<std::wstring> options;
        Lines passed;
        Lines lateProperties;
    } cases[] = {
        {{L"-Dapp.mode=\u4e2d\u6587", L"-Dapp.mode=override"}, {"-Dapp.mode=override"}, {}},
        {{L"-Dapp.mode=override", L"-Dapp.mode=\u4e2d\u6587"}, {"-Dapp.mode=override"}, {"app.mode=\xE4\xB8\xAD\xE6\x96\x87"}},
        {{L"-Dapp.mode=\u4e2d", L"-Dother=\u6587", L"-Dapp.mode=\u6587"}, {}, {"other=\xE6\x96\x87", "app.mode=\xE6\x96\x87"}},
        {{L"-Dapp.mode=\u4e2d", L"-DAPP.MODE=x"}, {"-DAPP.MODE=x"}, {"app.mode=\xE4\xB8\xAD"}},
    };
    for (const auto& c : cases) {
        VmInitArgs initArgs(c.options, encodingOf(1252));
        EXPECT_EQ(optionsOf(initArgs), c.passed);
        EXPECT_EQ(latePropertiesOf(initArgs), c.lateProperties);
    }
}

// The message that refusing `option` shows, which lacks `characters` in code page 1252.
std::string refusalOf(const std::wstring& option, const std::wstring& characters) {
    return toUtf8(L"Windows cannot pass the option " + option + L" to the Java VM in the system's code page, which lacks the characters \"" +
                  characters + L"\". Please use a folder name without these characters.");
}

TEST(VmInitArgs, RefusesAnyOtherOptionThatDoesNotFitNamingItAndItsCharacters) {
    const std::wstring agent = L"-javaagent:apps\\\u4e2d\u6587\\\u4e2d\\agent.jar";
    // A volume without short names gives an existing path its long name.
    const std::map<std::wstring, std::wstring> shortNames = {{L"apps\\\u4e2d\u6587\\\u4e2d\\agent.jar", L"apps\\4E2D~1\\4E2D~1\\agent.jar"},
                                                             {L"data\\\u4e2d", L"data\\\u4e2d"}};
    const struct {
        std::wstring option;
        std::wstring characters;
    } cases[] = {
        {agent, L"\u4e2d\u6587"},
        // Properties that the VM reads while it starts are never set late.
        {L"-Djava.class.path=a.jar" + kListSeparator + L"data\\\u4e2d", L"\u4e2d"},
        {L"-Djava.library.path=data\\\u4e2d", L"\u4e2d"},
        {L"-Duser.dir=\u6587", L"\u6587"},
        {L"-Djava.system.class.loader=\u4e2d.Loader", L"\u4e2d"},
        {L"-Djava.security.policy=\u4e2d.policy", L"\u4e2d"},
        {L"-Dfile.encoding=\u4e2d", L"\u4e2d"},
        {L"-Djdk.module.path=\u6587", L"\u6587"},
    };
    for (const auto& c : cases) {
        try {
            VmInitArgs initArgs({L"-Xss4m", c.option}, encodingOf(1252, shortNames));
            ADD_FAILURE() << "no failure: " << toUtf8(c.option);
        } catch (const LaunchError& error) {
            EXPECT_EQ(toUtf8(error.message), refusalOf(c.option, c.characters));
        }
    }
}

TEST(EncodeFileName, GivesTheShortNameWhereTheLongOneDoesNotFit) {
    const VmTextEncoding encoding = encodingOf(1252, {{L"\u4e2d\\splash.png", L"4E2D~1\\splash.png"}});
    EXPECT_EQ(encodeFileName(L"Jos\u00e9\\splash.png", encoding), "Jos\xE9\\splash.png");
    EXPECT_EQ(encodeFileName(L"\u4e2d\\splash.png", encoding), "4E2D~1\\splash.png");
    EXPECT_EQ(encodeFileName(L"\u4e2d\\other.png", encoding), std::nullopt);
}

}  // namespace
