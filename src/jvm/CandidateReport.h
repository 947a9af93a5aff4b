// What the choice among the installed Javas tells the user: one line per VM considered, with
// whether it was chosen or why not.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "jvm/JVM.h"

class CandidateReport {
public:
    // Over the candidates considered (ranked ones with their comparable versions, and those
    // without a VM), for a launcher built for `launcher`.
    CandidateReport(std::vector<JVM> considered, const VmMachine& launcher);

    // "JVM candidate: <line>: <chosen, acceptable or why not>" for each candidate, the highest
    // ranked first; a line the same as an earlier one is left out.
    std::vector<std::wstring> debugLines(const std::optional<JVM>& chosen) const;

    // What follows "No acceptable JVMs were found.": a blank line, then one line per refused
    // candidate (at most 12), "<Java home>: <version>, <32|64>-bit, <JDK|JRE>: <why not>",
    // and a last line naming the launcher to use when every candidate is of the other bitness;
    // or, when none was found, one line naming the places searched.
    std::wstring refusalDetail() const;

private:
    std::vector<JVM> m_considered;
    VmMachine m_launcher;
};
