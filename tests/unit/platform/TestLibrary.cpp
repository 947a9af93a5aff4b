// The library that the loading tests open. MinGW exports every function of a DLL that marks
// none for export, so the same source serves both systems.

extern "C" int wexalTestAnswer() {
    return 42;
}
