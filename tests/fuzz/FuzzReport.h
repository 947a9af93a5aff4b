// The fuzz targets link an error sink that throws what the program would have shown, so that an
// input whose configuration fails ends in a caught report instead of ending the fuzzer.
#pragma once

#include <string>

struct FuzzReport {
    std::wstring text;  // exactly what the error box would have shown
};
