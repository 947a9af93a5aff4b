// The environment as a source of Java installations: the JAVA_HOME variable.
#pragma once

#include <vector>

#include "jvm/JVM.h"

// Appends the Java home that JAVA_HOME names, when the variable is set and not empty.
void addJavaHomeVariableJvm(std::vector<JVM>& jvms);
