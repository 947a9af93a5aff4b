// The lines that explain the choice among the installed Javas.
#include "jvm/CandidateReport.h"

#include <algorithm>

#include "platform/PathConventions.h"
#include "util/Text.h"

namespace {

// At most this many refusals follow the message: the box must fit on a screen.
constexpr std::size_t kMaxRefusalLines = 12;

// "<Java home>: <version>, <32|64>-bit, <JDK|JRE>"; the width is left out when unknown.
std::wstring describe(const JVM& jvm) {
    const std::wstring& version = jvm.getVersion();
    std::wstring line = jvm.getJavaHomePath() + L": " + (version.empty() ? L"unknown version" : version);
    if (jvm.getVmMachine().bits != 0) line += L", " + toDecimal(jvm.getVmMachine().bits) + L"-bit";
    return line + (jvm.getJavaBundle() == L"sdk" ? L", JDK" : L", JRE");
}

void addDistinct(std::vector<std::wstring>& lines, std::wstring line) {
    if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(std::move(line));
}

}  // namespace

CandidateReport::CandidateReport(std::vector<JVM> considered, const VmMachine& launcher) : m_launcher(launcher) {
    // The highest comparable version first, equal ones in their order; the candidates without a
    // VM have none and stay last. Inserting one by one is plenty for a few dozen candidates.
    for (JVM& jvm : considered) {
        const auto below = std::find_if(m_considered.begin(), m_considered.end(), [&](const JVM& ranked) {
            return compareComparableVersions(jvm.getComparableVersion(), ranked.getComparableVersion()) > 0;
        });
        m_considered.insert(below, std::move(jvm));
    }
}

std::vector<std::wstring> CandidateReport::debugLines(const std::optional<JVM>& chosen) const {
    std::vector<std::wstring> lines;
    for (const JVM& jvm : m_considered) {
        const bool isChosen = chosen && jvm.getJvmPath() == chosen->getJvmPath();
        const std::wstring outcome = isChosen ? L"chosen" : jvm.isAcceptable() ? L"acceptable" : jvm.getRefusal();
        addDistinct(lines, L"JVM candidate: " + describe(jvm) + L": " + outcome);
    }
    return lines;
}

std::wstring CandidateReport::refusalDetail() const {
    if (m_considered.empty()) return std::wstring(L"\n\nSearched ") + platform::kJavaSearchPlaces + L".";
    std::vector<std::wstring> lines;
    bool onlyOtherBitness = true;
    unsigned otherBits = 0;
    for (const JVM& jvm : m_considered) {
        const VmMachine& machine = jvm.getVmMachine();
        // A candidate of unknown width (no VM library) says nothing about the bitness.
        if (machine.bits != 0 && machine.bits != m_launcher.bits && machine.cpu != Cpu::Other) {
            otherBits = machine.bits;
        } else if (machine.bits != 0) {
            onlyOtherBitness = false;
        }
        if (lines.size() < kMaxRefusalLines) addDistinct(lines, describe(jvm) + L": " + jvm.getRefusal());
    }
    if (onlyOtherBitness && otherBits != 0) lines.push_back(L"Use the " + toDecimal(otherBits) + L"-bit launcher for this Java.");
    std::wstring detail = L"\n";
    for (const std::wstring& line : lines) detail += L"\n" + line;
    return detail;
}
