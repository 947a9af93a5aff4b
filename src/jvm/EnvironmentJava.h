// The environment as a source of Java installations: the JAVA_HOME variable.
#pragma once

#include <vector>

#include "jvm/JVM.h"

// Appends the Java home that JAVA_HOME names (without one pair of surrounding double quotes), when
// the variable is set and names one.
void addJavaHomeVariableJvm(std::vector<JVM>& jvms);
