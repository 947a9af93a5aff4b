// A test double of the VM's C runtime library (msvcr71.dll, msvcr100.dll), which the launcher only
// loads: loading it records "loaded <FAKE_RUNTIME_NAME>" in the fake VM's log (see FakeJvm.cpp).
#include "FakeLog.h"

namespace {

// Runs when the library is loaded, as its DllMain would.
const bool recorded = (fakejvm::appendLogLine("loaded " FAKE_RUNTIME_NAME), true);

}  // namespace
