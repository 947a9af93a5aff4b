// The record that the test doubles of the Java VM's libraries keep: lines appended to the file
// named by the environment variable WEXAL_FAKE_JVM_LOG, or else by setLogPath (nothing is recorded
// when neither names one).
#pragma once

#include <string>

namespace fakejvm {

// Appends `line` and "\n" to the log; the file is opened and closed for every line, so that the
// lines of several libraries and threads interleave whole.
void appendLogLine(const std::string& line);

// The log file to use when the environment names none (a program started by a service manager
// does not get the test's environment).
void setLogPath(const std::string& path);

}  // namespace fakejvm
