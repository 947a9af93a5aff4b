// Variable references in configuration values: detection, late references and expansion.
#include "config/PropertyValueVariables.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "FailingAllocation.h"
#include "PathListSupport.h"
#include "config/Properties.h"
#include "jvm/JVM.h"
#include "platform/TextEncoding.h"
#include "report/ErrorReport.h"
#include "support/ReportedFailure.h"

namespace {

// Sets an environment variable of the test process (to a non-empty value).
void setEnvironmentVariable(const std::wstring& name, const std::wstring& value) {
#ifdef _WIN32
    _wputenv((name + L"=" + value).c_str());
#else
    setenv(toUtf8(name).c_str(), toUtf8(value).c_str(), 1);
#endif
}

#ifdef _WIN32
constexpr bool kEnvironmentNamesIgnoreCase = true;
#else
constexpr bool kEnvironmentNamesIgnoreCase = false;
#endif

const std::wstring kSeparator(1, platform::kPathSeparator);
const std::wstring kHome = kSeparator + L"apps";
const std::wstring kExeFolder = joinPath({kHome, L"bin"});
const std::wstring kCallerDir = kSeparator + L"work";
const std::wstring kJavaHome = kSeparator + L"jdk";

class PropertyValueVariablesTest : public testing::Test {
protected:
    PropertyValueVariablesTest() {
        properties.setFullPathAndNameOfExe(joinPath({kExeFolder, L"Tool.exe"}));
        properties.setCallerDir(kCallerDir);
        setEnvironmentVariable(L"WEXAL_TEST_VALUE", L"from the environment");
        setEnvironmentVariable(L"WEXAL_TEST_REFERENCE", L"${SELF_HOME}");
        setDefaultErrorText(L"Error in Java launcher.");
        setShowErrorDetail(true);
    }

    std::wstring resolved(std::wstring text) const {
        return variables.resolveVariables(text);
    }

    void chooseJvmWithHome(const std::wstring& javaHome) {
        auto jvm = std::make_shared<JVM>();
        jvm->setJavaHomePath(javaHome);
        properties.setFoundJvm(jvm);
    }

    Properties properties;
    PropertyValueVariables variables{properties};
};

TEST_F(PropertyValueVariablesTest, ExpandsEveryReferenceLeftToRight) {
    const struct {
        std::wstring text;
        std::wstring expanded;
    } cases[] = {
        {L"${SELF_HOME}" + kSeparator + L"lib", joinPath({kHome, L"lib"})},
        {L"${CALLER_DIR};${SELF_HOME}", kCallerDir + L";" + kHome},
        {L"${FOUND_EXE_FOLDER}", kExeFolder},
        {L"${EXE_BITNESS}/${OS_BITNESS}", properties.getExeBitness() + L"/" + properties.getOperatingSystemBitness()},
        {L"wexal.main.class=${env.WEXAL_TEST_VALUE}", L"wexal.main.class=from the environment"},
        {L"${SELF_HOME}${SELF_HOME}", kHome + kHome},
        // Only white space after the name goes; before it, it belongs to the name.
        {L"${SELF_HOME \t\n}", kHome},
        {L"${ SELF_HOME}", L""},
        {L"${SELF_HOME\r}", L""},
        // Unknown and empty names, and names in another case.
        {L"a${UNKNOWN}b", L"ab"},
        {L"a${}b", L"ab"},
        {L"${self_home}", L""},
        {L"${ENV.WEXAL_TEST_VALUE}", L""},
        {L"${env.WEXAL_TEST_UNSET_VARIABLE}", L""},
        {L"${env.}", L""},
        // The chosen VM is not known yet.
        {L"${FOUND_JAVA_HOME}" + kSeparator + L"bin", kSeparator + L"bin"},
    };
    for (const auto& c : cases) EXPECT_EQ(toUtf8(resolved(c.text)), toUtf8(c.expanded)) << toUtf8(c.text);
}

TEST_F(PropertyValueVariablesTest, LeavesTextWithoutACompleteReferenceAlone) {
    const std::wstring cases[] = {
        L"a$b", L"-Dpattern={0}", L"a}b", L"$ {SELF_HOME}", L"{SELF_HOME}", L"$SELF_HOME}", L"${SELF_HOME", L"",
    };
    for (const std::wstring& text : cases) EXPECT_EQ(toUtf8(resolved(text)), toUtf8(text));
}

TEST_F(PropertyValueVariablesTest, StopsAtAnOpenerWithoutACloser) {
    EXPECT_EQ(toUtf8(resolved(L"x${SELF_HOME}y${CALLER_DIR")), toUtf8(L"x" + kHome + L"y${CALLER_DIR"));
}

TEST_F(PropertyValueVariablesTest, InsertsValuesVerbatimWithoutExpandingThemAgain) {
    EXPECT_EQ(toUtf8(resolved(L"${env.WEXAL_TEST_REFERENCE}/${CALLER_DIR}")), toUtf8(L"${SELF_HOME}/" + kCallerDir));
}

TEST_F(PropertyValueVariablesTest, EndsAReferenceAtTheFirstCloserSoReferencesDoNotNest) {
    // The name is "a${SELF_HOME", which is unknown; the second closer is ordinary text.
    EXPECT_EQ(toUtf8(resolved(L"${a${SELF_HOME}}")), "}");
}

TEST_F(PropertyValueVariablesTest, ReadsEnvironmentNamesAsThePlatformDoes) {
    const std::wstring expected = kEnvironmentNamesIgnoreCase ? L"from the environment" : L"";
    EXPECT_EQ(toUtf8(resolved(L"${env.wexal_test_value}")), toUtf8(expected));
}

TEST_F(PropertyValueVariablesTest, ReadsTheEnvironmentAtExpansionTime) {
    setEnvironmentVariable(L"WEXAL_TEST_VALUE", L"changed");
    EXPECT_EQ(toUtf8(resolved(L"${env.WEXAL_TEST_VALUE}")), "changed");
}

TEST_F(PropertyValueVariablesTest, ExpandsTheChosenVmsHomeOnceItIsStored) {
    chooseJvmWithHome(kJavaHome);
    EXPECT_EQ(toUtf8(resolved(L"${FOUND_JAVA_HOME}" + kSeparator + L"bin")), toUtf8(joinPath({kJavaHome, L"bin"})));
}

TEST_F(PropertyValueVariablesTest, ExpandsTheHomeOfAVmChosenByItsLibraryPathToEmptyText) {
    chooseJvmWithHome(L"");
    EXPECT_EQ(toUtf8(resolved(L"${FOUND_JAVA_HOME}")), "");
}

TEST_F(PropertyValueVariablesTest, LooksUpAReferenceTextWithoutItsCloser) {
    EXPECT_EQ(toUtf8(variables.getVariableValue(L"${SELF_HOME")), toUtf8(kHome));
    EXPECT_EQ(toUtf8(variables.getVariableValue(L"${FOUND_EXE_FOLDER")), toUtf8(kExeFolder));
    EXPECT_EQ(toUtf8(variables.getVariableValue(L"${")), "");
}

TEST_F(PropertyValueVariablesTest, TakesTheWholeExecutablePathAsFolderWhenItHasNoSeparator) {
    properties.setFullPathAndNameOfExe(L"Tool.exe");
    EXPECT_EQ(toUtf8(resolved(L"${FOUND_EXE_FOLDER}")), "Tool.exe");
}

TEST_F(PropertyValueVariablesTest, FindsTextsWithAnOpenerAndALaterCloser) {
    const struct {
        std::wstring text;
        bool found;
    } cases[] = {
        {L"${A}", true},  {L"x${}", true},  {L"a${b ${c}", true}, {L"${A", false},
        {L"}${", false},  {L"$ {A}", false}, {L"a}b${", false},   {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(variables.containsVariables(c.text), c.found) << toUtf8(c.text);
}

TEST_F(PropertyValueVariablesTest, FindsLateReferencesWithTheirNameTrimmedAtBothEnds) {
    const struct {
        std::wstring text;
        bool late;
    } cases[] = {
        {L"${FOUND_JAVA_HOME}", true},
        {L"${ FOUND_JAVA_HOME }", true},
        {L"${\tFOUND_JAVA_HOME\n}", true},
        {L"${SELF_HOME};${FOUND_JAVA_HOME}\\bin", true},
        {L"${\rFOUND_JAVA_HOME}", false},
        {L"${found_java_home}", false},
        {L"${FOUND_JAVA_HOME_X}", false},
        {L"${FOUND_JAVA_HOME", false},
        {L"$FOUND_JAVA_HOME}", false},
        {L"${X${FOUND_JAVA_HOME}", false},
        {L"${SELF_HOME}", false},
        {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(variables.containsLateVariables(c.text), c.late) << toUtf8(c.text);
}

TEST_F(PropertyValueVariablesTest, CountsALateReferenceWithLeadingWhiteSpaceButExpandsItToEmptyText) {
    chooseJvmWithHome(kJavaHome);
    const std::wstring text = L"${ FOUND_JAVA_HOME}";
    EXPECT_TRUE(variables.containsLateVariables(text));
    EXPECT_EQ(toUtf8(resolved(text)), "");
}

TEST_F(PropertyValueVariablesTest, ReportsExhaustedMemoryWithEachOperationsOwnText) {
    std::wstring text = L"${SELF_HOME}";
    const std::wstring reference = L"${SELF_HOME";
    const std::wstring late = L"${FOUND_JAVA_HOME}";
    EXPECT_REPORT((failNextAllocation(), variables.resolveVariables(text)),
                  L"Error in Java launcher. Error resolving property variables.");
    EXPECT_REPORT((failNextAllocation(), variables.getVariableValue(reference)),
                  L"Error in Java launcher. Error getting value from property variable.");
    EXPECT_REPORT((failNextAllocation(), variables.containsLateVariables(late)),
                  L"Error in Java launcher. Error while determining if property contains late variables.");
}

}  // namespace
