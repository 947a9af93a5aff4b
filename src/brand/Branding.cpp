// The branding of a launcher as a list of resources changed in memory, then written to a new section.
#include "brand/Branding.h"

#include <algorithm>

#include "brand/BrandError.h"
#include "brand/ManifestLevel.h"
#include "brand/PeFile.h"
#include "brand/ResourceSection.h"
#include "brand/ResourceTree.h"

namespace {

// The icon group of a file that has none (our launchers have group 101, in US English).
constexpr std::uint16_t kDefaultIconGroup = 101;
constexpr std::uint16_t kUsEnglish = 0x409;

bool isType(const Resource& resource, std::uint16_t type) {
    return resource.type.text.empty() && resource.type.id == type;
}

void requireUnsigned(std::string_view file, const PeLayout& layout) {
    if (dataDirectory(file, layout, kSecurityDirectory).size != 0) {
        throw BrandError{L"the file carries an Authenticode signature, which changing its resources would break: "
                         L"brand the unsigned launcher and sign the branded copy (sign after branding)."};
    }
}

void requireLauncher(const std::vector<Resource>& resources) {
    const bool ours = std::any_of(resources.begin(), resources.end(), [](const Resource& resource) {
        return isType(resource, kVersionType) && versionText(resource.data, u"InternalName") == kLauncherInternalName;
    });
    if (!ours) {
        throw BrandError{L"the file is not a Wexal launcher (its version resource has no InternalName \"Wexal\")."};
    }
}

// Replaces every icon group and icon image by one group of `images`, named and in the language of
// the file's first group.
void replaceIcon(std::vector<Resource>& resources, const std::vector<IconImage>& images) {
    const auto group =
        std::find_if(resources.begin(), resources.end(), [](const Resource& r) { return isType(r, kIconGroupType); });
    Resource groupResource{{kIconGroupType, {}}, {kDefaultIconGroup, {}}, kUsEnglish, 0, iconGroupData(images, 1)};
    if (group != resources.end()) {
        groupResource.name = group->name;
        groupResource.language = group->language;
    }
    resources.erase(std::remove_if(resources.begin(), resources.end(),
                                   [](const Resource& r) { return isType(r, kIconType) || isType(r, kIconGroupType); }),
                    resources.end());
    std::uint16_t id = 1;
    for (const IconImage& image : images) {
        resources.push_back(Resource{{kIconType, {}}, {id++, {}}, groupResource.language, 0, image.data});
    }
    resources.push_back(std::move(groupResource));
}

void setExecutionLevel(std::vector<Resource>& resources, const std::string& level) {
    bool found = false;
    for (Resource& resource : resources) {
        if (!isType(resource, kManifestType)) continue;
        resource.data = withExecutionLevel(resource.data, level);
        found = true;
    }
    if (!found) throw BrandError{L"the file has no manifest."};
}

}  // namespace

std::string brandLauncher(std::string_view launcher, const Branding& branding) {
    const PeLayout layout = readPeLayout(launcher);
    requireUnsigned(launcher, layout);
    std::vector<Resource> resources = readResources(launcher, layout);
    requireLauncher(resources);
    if (branding.icon) replaceIcon(resources, *branding.icon);
    if (branding.version.figures || !branding.version.texts.empty()) {
        for (Resource& resource : resources) {
            if (isType(resource, kVersionType)) resource.data = editVersionResource(resource.data, branding.version);
        }
    }
    if (branding.executionLevel) setExecutionLevel(resources, *branding.executionLevel);
    return withResources(launcher, layout, resources);
}
