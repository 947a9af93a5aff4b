// Install folders as a source of Java installations: the folders where installers and unpacked
// archives put Java homes, one subfolder each.
#pragma once

#include <vector>

#include "jvm/JVM.h"

// Appends each subfolder of the system's install folders (PathConventions) that holds a release
// file or a client or server VM, folder by folder in their order, subfolders in name order. A
// folder reached twice (two variables naming one folder) is read once.
void addInstallFolderJvms(std::vector<JVM>& jvms);
