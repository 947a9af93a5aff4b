// The entry point of wexal-brand on Windows: the arguments as wide text.
#include <string>
#include <vector>

#include "brand/BrandTool.h"

int wmain(int argc, wchar_t** argv) {
    return runBrandTool(std::vector<std::wstring>(argv + 1, argv + argc));
}
