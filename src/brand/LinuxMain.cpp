// The entry point of wexal-brand on Linux: the arguments from UTF-8.
#include <string>
#include <vector>

#include "brand/BrandTool.h"
#include "platform/TextEncoding.h"

int main(int argc, char** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(fromUtf8(argv[i]));
    return runBrandTool(arguments);
}
