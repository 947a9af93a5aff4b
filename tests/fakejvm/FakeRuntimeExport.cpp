// The one function of the C runtime double that the modern VM library double imports.
extern "C" __declspec(dllexport) int fakeRuntimeExport() {
    return 140;
}
