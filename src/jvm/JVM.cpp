// One candidate Java VM: its paths, its rank parts and its debug description; and the comparable
// version that orders candidates.
#include "jvm/JVM.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "jvm/VmLayout.h"
#include "platform/TextEncoding.h"
#include "report/ErrorReport.h"
#include "util/Text.h"

namespace {

// One preference setting and the two words of the candidate field it ranks. Its words lie on a
// scale from "require_<first>" through "prefer_<first>" (or empty) and "prefer_<second>" to
// "require_<second>"; the further the scale leans towards the candidate's own word, the higher
// the rank.
struct RankScale {
    wchar_t letter;                 // introduces the rank part in the comparable version
    const wchar_t* first;           // the word an empty setting ranks higher
    const wchar_t* second;
    const wchar_t* unsetMessage;    // the candidate's own word is neither of the two
    const wchar_t* settingMessage;  // the setting is none of the scale's words
};

const RankScale kBundleScale{L'B', L"jre", L"sdk", L"Java bundle must be set before adjusting comparable version",
                             L"Desired Java bundle settings are not correct."};

const RankScale kBinJvmDirScale{L'D', L"client", L"server",
                                L"Bin Jvm Dir must be set before adjusting the comparable version.",
                                L"Desired JVM settings are not correct."};

// The setting's place on the scale, 0 to 3; empty for a word outside it.
std::optional<unsigned> scalePosition(const RankScale& scale, const std::wstring& setting) {
    if (setting == L"require_" + std::wstring(scale.first)) return 0;
    if (setting.empty() || setting == L"prefer_" + std::wstring(scale.first)) return 1;
    if (setting == L"prefer_" + std::wstring(scale.second)) return 2;
    if (setting == L"require_" + std::wstring(scale.second)) return 3;
    return std::nullopt;
}

// The rank 0 to 3 of a candidate whose field holds `own` under `setting`; 0 means that a
// "require_" setting asks for the other word.
unsigned rankOn(const RankScale& scale, const std::wstring& own, const std::wstring& setting) {
    const bool ownIsFirst = own == scale.first;
    if (!ownIsFirst && own != scale.second) throw LaunchError{scale.unsetMessage};
    const std::optional<unsigned> position = scalePosition(scale, setting);
    if (!position) throw LaunchError{scale.settingMessage};
    return ownIsFirst ? 3 - *position : *position;
}

// Appends the rank part (letter, rank, ".") of a candidate whose field holds `own` to
// `comparableVersion`; false when the rank is 0, which makes the candidate unacceptable.
bool appendRankPart(const RankScale& scale, const std::wstring& own, const std::wstring& setting,
                    std::wstring& comparableVersion) {
    const unsigned rank = rankOn(scale, own, setting);
    comparableVersion += scale.letter + toDecimal(rank) + L".";
    return rank != 0;
}

// The components of a version text: the runs between "." and "_" separators.
std::vector<std::wstring> versionComponents(const std::wstring& version) {
    std::vector<std::wstring> components;
    std::wstring current;
    for (const wchar_t c : version) {
        if (c != L'.' && c != L'_') {
            current += c;
            continue;
        }
        if (!current.empty()) components.push_back(current);
        current.clear();
    }
    if (!current.empty()) components.push_back(current);
    return components;
}

// UTF-16 code units compare as unsigned 16-bit values whatever the width of wchar_t.
int compareText(const std::wstring& a, const std::wstring& b) {
    const std::u16string unitsA = toUtf16(a);
    const std::u16string unitsB = toUtf16(b);
    return unitsA < unitsB ? -1 : unitsB < unitsA ? 1 : 0;
}

// The piece of a comparable version that starts at `start`: up to and including the next ".",
// or the rest when none follows.
std::wstring pieceAt(const std::wstring& comparable, std::size_t start) {
    const std::size_t dot = comparable.find(L'.', start);
    return comparable.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot + 1 - start);
}

// Digits compare as numbers: without leading zeros, the longer is the greater.
int compareNumbers(std::wstring a, std::wstring b) {
    a.erase(0, std::min(a.find_first_not_of(L'0'), a.size()));
    b.erase(0, std::min(b.find_first_not_of(L'0'), b.size()));
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

// What follows a piece's number: its text without the closing "." and any "+build" part.
std::wstring pieceSuffix(const std::wstring& piece, std::size_t digits) {
    std::wstring suffix = piece.substr(digits);
    if (!suffix.empty() && suffix.back() == L'.') suffix.pop_back();
    return suffix.substr(0, suffix.find(L'+'));
}

int comparePieces(const std::wstring& a, const std::wstring& b) {
    const std::size_t digitsA = std::min(a.find_first_not_of(L"0123456789"), a.size());
    const std::size_t digitsB = std::min(b.find_first_not_of(L"0123456789"), b.size());
    if (digitsA == 0 || digitsB == 0) return compareText(a, b);
    if (const int order = compareNumbers(a.substr(0, digitsA), b.substr(0, digitsB))) return order;
    const std::wstring suffixA = pieceSuffix(a, digitsA);
    const std::wstring suffixB = pieceSuffix(b, digitsB);
    // A pre-release ("-ea", "-beta", "-rc") comes before the release it leads to.
    if (suffixA.empty() != suffixB.empty()) return suffixA.empty() ? 1 : -1;
    return compareText(suffixA, suffixB);
}

}  // namespace

JVM::JVM() = default;
JVM::JVM(const JVM& other) = default;
JVM::JVM(JVM&& other) noexcept = default;
JVM& JVM::operator=(const JVM& other) = default;
JVM& JVM::operator=(JVM&& other) noexcept = default;
JVM::~JVM() = default;

void JVM::refuse(const std::wstring& reason) {
    m_acceptable = false;
    if (m_refusal.empty()) m_refusal = reason;
}

std::wstring JVM::getJrePath() {
    return reportFailures(L"Error while getting the JRE path.", [this] {
        if (!m_jrePath.empty()) return m_jrePath;
        if (m_javaBundle == L"jre") {
            m_jrePath = runtimeVmTypesFolder(m_javaHomePath);
        } else if (m_javaBundle == L"sdk") {
            m_jrePath = sdkVmTypesFolder(m_javaHomePath);
        } else {
            throw LaunchError{L"Java home path must be determined before the JRE path can be determined."};
        }
        return m_jrePath;
    });
}

std::wstring JVM::getJvmDllPath(const std::wstring& type) {
    return reportFailures(L"Error while getting the jvm.dll path.", [&] { return vmLibraryPath(getJrePath(), type); });
}

JVM JVM::cloneForOtherJvmType() const {
    try {
        JVM other;
        other.m_javaHomePath = m_javaHomePath;
        other.m_javaBundle = m_javaBundle;
        other.m_version = m_version;
        // A refusal with its reason is the installation's, and holds for each of its VMs.
        if (!m_refusal.empty()) other.refuse(m_refusal);
        return other;
    } catch (...) {
        showDefaultErrorAndExit();
    }
}

void JVM::adjustComparableVersionByBundle(const std::wstring& setting) {
    reportFailures(L"Error while adjusting the comparable Java version bundle.", [&] {
        if (!appendRankPart(kBundleScale, m_javaBundle, setting, m_comparableVersion)) m_acceptable = false;
    });
}

void JVM::adjustComparableVersionByBinJvmDir(const std::wstring& setting) {
    reportFailures(L"Error while adjusting the comparable Java JVM directories.", [&] {
        if (!appendRankPart(kBinJvmDirScale, m_binJvmDir, setting, m_comparableVersion)) m_acceptable = false;
    });
}

std::wstring JVM::toString() const {
    return L"m_jvmPath=" + m_jvmPath + L",m_javaBundle=" + m_javaBundle + L",m_binJvmDir=" + m_binJvmDir +
           L",m_comparableVersion=" + m_comparableVersion + L",m_javaHomePath=" + m_javaHomePath +
           L",m_version=" + m_version + L",m_jrePath=" + m_jrePath +
           L",m_acceptable=" + (m_acceptable ? L"true" : L"false");
}

std::wstring getComparableVersion(const std::wstring& version) {
    return reportFailures(L"Error while getting comparable JVM version using regular version.", [&] {
        const std::vector<std::wstring> components = versionComponents(version);
        const std::wstring missing = L"0";
        std::wstring comparable;
        for (std::size_t index = 0; index < 4; ++index) {
            const std::wstring& component = index < components.size() ? components[index] : missing;
            if (component.size() < 3) comparable.append(3 - component.size(), L'0');
            comparable += component + L".";
        }
        return comparable;
    });
}

int compareComparableVersions(const std::wstring& a, const std::wstring& b) {
    std::size_t startA = 0;
    std::size_t startB = 0;
    while (startA < a.size() && startB < b.size()) {
        const std::wstring pieceA = pieceAt(a, startA);
        const std::wstring pieceB = pieceAt(b, startB);
        if (const int order = comparePieces(pieceA, pieceB)) return order;
        startA += pieceA.size();
        startB += pieceB.size();
    }
    // Every piece matched: the one with pieces left over is the higher.
    const bool moreA = startA < a.size();
    const bool moreB = startB < b.size();
    return moreA == moreB ? 0 : moreA ? 1 : -1;
}

bool isLowerComparable(const std::wstring& a, const std::wstring& b) {
    return compareComparableVersions(a, b) < 0;
}
