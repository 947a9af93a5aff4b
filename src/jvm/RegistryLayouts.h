// The registry as a source of Java installations: every installer's keys, below
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, in both bitness views.
#pragma once

#include <vector>

#include "jvm/JVM.h"

// Appends the Javas that installers recorded in the registry: for each of HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER in the program's own view, then both in the other view, the keys of every
// layout in order, beginning with the JavaSoft development kits and runtimes.
void addRegistryJvms(std::vector<JVM>& jvms);
