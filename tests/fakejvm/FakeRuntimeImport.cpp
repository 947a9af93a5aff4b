// Makes a VM library double import its C runtime double, as a modern jvm.dll imports
// vcruntime140.dll from its Java home's bin folder: the double loads only where that import
// resolves.
extern "C" __declspec(dllimport) int fakeRuntimeExport();

namespace {

const int imported = fakeRuntimeExport();

}  // namespace
