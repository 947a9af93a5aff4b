// The launcher's top level: the configuration built from the executable's own path, the start-up
// folder and the command line, then the launch of the Java program.
#pragma once

#include <string>
#include <vector>

class Properties;

// The kind of program the launcher is built into. Only the console programs run services; the
// windowed one refuses a configured service.
enum class ProgramKind { windowed, console };

// Runs the whole launch for `arguments` (element 0 is the executable's full path, the rest the
// command-line arguments in order) in the windowed program. Returns 0 after `main` returned and
// the VM was torn down; never returns after a failure (the error report ends the process).
int runLauncher(const std::vector<std::wstring>& arguments);

// Builds and loads the one launch configuration for `arguments` (as for runLauncher): the
// start-up directory is recorded, then the home folder becomes the current directory. Never
// returns after a failure.
Properties createProperties(const std::vector<std::wstring>& arguments);

// Launches the Java program with the launcher's copy of the configuration and returns once the
// VM has been torn down. The windowed program refuses a configured service name; never returns
// after a failure.
void launchProgram(Properties& properties, ProgramKind kind = ProgramKind::windowed);
