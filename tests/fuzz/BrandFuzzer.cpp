// Fuzz target: hostile files for the branding tool, read as a launcher to brand (the PE reader,
// the resource tree, the version resource, the manifest) and as an icon. Each input is refused
// with a BrandError or branded; a branded result must read back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "brand/BrandError.h"
#include "brand/Branding.h"
#include "brand/IconImages.h"
#include "brand/PeFile.h"
#include "brand/ResourceTree.h"

namespace {

Branding everyChange() {
    Branding branding;
    branding.icon = std::vector<IconImage>{IconImage{16, 16, 0, 0, 1, 32, "image"}};
    branding.version.figures = {{1, 2, 3, 4}};
    branding.version.texts = {{u"ProductName", u"Fuzz"}, {u"OriginalFilename", u"fuzz.exe"}};
    branding.executionLevel = "highestAvailable";
    return branding;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Branding branding = everyChange();
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    try {
        const std::string branded = brandLauncher(file, branding);
        const PeLayout layout = readPeLayout(branded);
        if (readResources(branded, layout).empty()) __builtin_trap();
    } catch (const BrandError&) {
    }
    try {
        readIconImages(file);
    } catch (const BrandError&) {
    }
    return 0;
}
