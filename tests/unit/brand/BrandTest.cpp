// The branding tool: its command line, icon files, manifests, and whole brandings of a small
// executable in the layout of our launchers, read back with the tool's own reader.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "brand/BrandCommandLine.h"
#include "brand/BrandError.h"
#include "brand/Branding.h"
#include "brand/Bytes.h"
#include "brand/IconImages.h"
#include "brand/ManifestLevel.h"
#include "brand/PeFile.h"
#include "brand/ResourceTree.h"
#include "platform/TextEncoding.h"

namespace {

constexpr std::size_t kOptionalHeader = 0x58;
constexpr std::size_t kDirectories = kOptionalHeader + 112;
constexpr std::uint16_t kUsEnglish = 0x409;
const std::string kManifest = "<assembly><trustInfo><security><requestedPrivileges>\n"
                              "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>\n"
                              "</requestedPrivileges></security></trustInfo></assembly>";

// The reason of the BrandError that `step` throws, or "(accepted)".
std::string refusalOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const BrandError& error) {
        return toUtf8(error.reason);
    }
    return "(accepted)";
}

std::string utf16(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) appendU16(bytes, unit);
    appendU16(bytes, 0);
    return bytes;
}

// One node of a version resource, laid out as resource compilers do.
std::string versionNode(const std::u16string& key, std::uint16_t type, const std::string& value,
                        const std::vector<std::string>& children = {}) {
    std::string node(6, '\0');
    node += utf16(key);
    padTo(node, 4);
    node += value;
    for (const std::string& child : children) {
        padTo(node, 4);
        node += child;
    }
    putU16(node, 0, static_cast<std::uint16_t>(node.size()));
    putU16(node, 2, static_cast<std::uint16_t>(type == 1 ? value.size() / 2 : value.size()));
    putU16(node, 4, type);
    return node;
}

std::string launcherVersion(const std::u16string& internalName) {
    std::string fixed(52, '\0');
    putU32(fixed, 0, 0xFEEF04BD);
    putU32(fixed, 8, 0x00010000);   // 1.0
    putU32(fixed, 16, 0x00010000);
    const std::string strings = versionNode(u"StringFileInfo", 1, "", {versionNode(u"040904B0", 1, "", {
        versionNode(u"ProductName", 1, utf16(u"Wexal")), versionNode(u"InternalName", 1, utf16(internalName))})});
    return versionNode(u"VS_VERSION_INFO", 0, fixed,
                       {strings, versionNode(u"VarFileInfo", 1, "", {versionNode(u"Translation", 0, "\x09\x04\xB0\x04")})});
}

Resource resource(ResourceKey type, ResourceKey name, std::string data) {
    return Resource{std::move(type), std::move(name), kUsEnglish, 0, std::move(data)};
}

std::vector<Resource> launcherResources(const std::u16string& internalName = u"Wexal") {
    return {resource({0, u"MYDATA"}, {0, u"CONFIG"}, "named"),
            resource({kIconType, {}}, {1, {}}, "image one"),
            resource({kIconType, {}}, {2, {}}, "image two"),
            resource({kIconGroupType, {}}, {101, {}}, "group"),
            resource({kVersionType, {}}, {1, {}}, launcherVersion(internalName)),
            resource({kManifestType, {}}, {1, {}}, kManifest)};
}

void addSection(std::string& file, const char* name, std::uint32_t rva, std::string data) {
    const std::size_t count = ByteView(file, L"").u16(0x46);
    const std::size_t header = kDirectories + 128 + count * 40;
    putU16(file, 0x46, static_cast<std::uint16_t>(count + 1));
    file.replace(header, 8, std::string(name).append(8 - std::string(name).size(), '\0'));
    putU32(file, header + 8, static_cast<std::uint32_t>(data.size()));
    putU32(file, header + 12, rva);
    putU32(file, header + 16, static_cast<std::uint32_t>(alignUp(data.size(), 0x200)));
    putU32(file, header + 20, static_cast<std::uint32_t>(file.size()));
    file += data;
    padTo(file, 0x200);
    putU32(file, kOptionalHeader + 56, static_cast<std::uint32_t>(alignUp(rva + data.size(), 0x1000)));
}

// A PE32+ file as the linker lays out our launchers: code, the resources, then relocations (or no
// relocations, so that the resources come last).
std::string makeLauncher(const std::vector<Resource>& resources, bool resourcesLast = false) {
    std::string file(0x200, '\0');
    file.replace(0, 2, "MZ");
    putU32(file, 0x3C, 0x40);
    file.replace(0x40, 4, std::string("PE\0\0", 4));
    putU16(file, 0x44, 0x8664);
    putU16(file, 0x54, 240);  // the optional header with 16 data directories
    putU16(file, kOptionalHeader, 0x20B);
    putU32(file, kOptionalHeader + 32, 0x1000);
    putU32(file, kOptionalHeader + 36, 0x200);
    putU32(file, kOptionalHeader + 60, 0x200);
    putU32(file, kOptionalHeader + 108, 16);
    addSection(file, ".text", 0x1000, std::string(0x180, '\xC3'));
    const std::string section = writeResourceSection(resources, 0x2000);
    addSection(file, ".rsrc", 0x2000, section);
    putU32(file, kDirectories + 16, 0x2000);
    putU32(file, kDirectories + 20, static_cast<std::uint32_t>(section.size()));
    if (!resourcesLast) addSection(file, ".reloc", static_cast<std::uint32_t>(alignUp(0x2000 + section.size(), 0x1000)), "relocations");
    return file;
}

std::string icoFile(const std::vector<std::string>& images) {
    std::string file;
    appendU16(file, 0);
    appendU16(file, 1);
    appendU16(file, static_cast<std::uint16_t>(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        file += std::string{static_cast<char>(16 * (i + 1)), static_cast<char>(16 * (i + 1)), 0, 0};
        appendU16(file, 1);
        appendU16(file, 32);
        appendU32(file, static_cast<std::uint32_t>(images[i].size()));
        appendU32(file, static_cast<std::uint32_t>(offset));
        offset += images[i].size();
    }
    for (const std::string& image : images) file += image;
    return file;
}

std::string pngHeader(std::uint32_t width, std::uint32_t height) {
    std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    for (std::uint32_t side : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) png += static_cast<char>(side >> shift & 0xFF);
    }
    return png + std::string("\x08\x06\0\0\0", 5);
}

const Resource* find(const std::vector<Resource>& resources, std::uint16_t type) {
    for (const Resource& r : resources) {
        if (r.type.text.empty() && r.type.id == type) return &r;
    }
    return nullptr;
}

// "type/name/language=size", texts in ASCII.
std::string describe(const Resource& r) {
    auto key = [](const ResourceKey& k) { return k.text.empty() ? std::to_string(k.id) : std::string(k.text.begin(), k.text.end()); };
    return key(r.type) + "/" + key(r.name) + "/" + std::to_string(r.language) + "=" + std::to_string(r.data.size());
}

TEST(BrandLauncher, WritesIconVersionAndLevelInANewLastSectionAndKeepsTheRest) {
    Branding branding{readIconImages(icoFile({"first image", "second"})), {}, "requireAdministrator"};
    branding.version.figures = {{2, 3, 4, 5}};
    branding.version.texts = {{u"ProductName", u"Acme \u00e9"}, {u"OriginalFilename", u"acme.exe"}};
    const std::string input = makeLauncher(launcherResources());
    const std::string output = brandLauncher(input, branding);

    const PeLayout layout = readPeLayout(output);
    const std::vector<Resource> resources = readResources(output, layout);
    std::vector<std::string> listed;
    for (const Resource& r : resources) listed.push_back(describe(r));
    EXPECT_EQ(listed, (std::vector<std::string>{"MYDATA/CONFIG/1033=5", "3/1/1033=11", "3/2/1033=6", "14/101/1033=34",
                                                "16/1/1033=" + std::to_string(find(resources, kVersionType)->data.size()),
                                                "24/1/1033=" + std::to_string(kManifest.size() + 11)}));
    EXPECT_EQ(resources[1].data, "first image");
    EXPECT_EQ(resources[3].data, iconGroupData(*branding.icon, 1));
    EXPECT_EQ(find(resources, kManifestType)->data, withExecutionLevel(kManifest, "requireAdministrator"));
    const std::string version = find(resources, kVersionType)->data;
    EXPECT_EQ(ByteView(version, L"").u32(40 + 8), 0x00020003u);
    EXPECT_EQ(ByteView(version, L"").u32(40 + 20), 0x00040005u);
    EXPECT_EQ(versionText(version, u"ProductName"), u"Acme \u00e9");
    EXPECT_EQ(versionText(version, u"OriginalFilename"), u"acme.exe");
    EXPECT_EQ(versionText(version, u"InternalName"), u"Wexal");

    ASSERT_EQ(layout.sections.size(), 4u);
    const PeSection& added = layout.sections.back();
    EXPECT_EQ(added.name, ".rsrc");
    EXPECT_EQ(dataDirectory(output, layout, kResourceDirectory).address, added.virtualAddress);
    const ByteView bytes(output, L"");
    EXPECT_EQ(bytes.u32(layout.sizeOfImageOffset), alignUp(added.virtualAddress + added.virtualSize, 0x1000));
    EXPECT_EQ(bytes.u32(layout.checksumOffset), peChecksum(output, layout.checksumOffset));
    EXPECT_EQ(output.substr(0, 0x200 * 4).substr(0x400), input.substr(0x400, 0x200 * 4 - 0x400));
}

TEST(BrandLauncher, ReplacesTheResourceSectionOfABrandedCopy) {
    for (bool resourcesLast : {false, true}) {
        const std::string once = brandLauncher(makeLauncher(launcherResources(), resourcesLast), {{}, {{}, {{u"ProductName", u"A"}}}, {}});
        const std::string twice = brandLauncher(once, {{}, {{}, {{u"CompanyName", u"B"}}}, {}});
        const PeLayout first = readPeLayout(once);
        const PeLayout second = readPeLayout(twice);
        EXPECT_EQ(first.sections.size(), resourcesLast ? 2u : 4u);
        EXPECT_EQ(second.sections.size(), first.sections.size());
        EXPECT_EQ(second.sections.back().rawPointer, first.sections.back().rawPointer);
        const std::vector<Resource> resources = readResources(twice, second);
        EXPECT_EQ(versionText(find(resources, kVersionType)->data, u"ProductName"), u"A");
        EXPECT_EQ(versionText(find(resources, kVersionType)->data, u"CompanyName"), u"B");
        EXPECT_EQ(ByteView(twice, L"").u32(second.checksumOffset), peChecksum(twice, second.checksumOffset));
    }
}

TEST(BrandLauncher, RefusesWhatItCannotBrand) {
    const std::string launcher = makeLauncher(launcherResources());
    auto changed = [&](std::size_t offset, std::uint32_t value) {
        std::string file = launcher;
        putU32(file, offset, value);
        return file;
    };
    std::vector<Resource> withoutManifest = launcherResources();
    withoutManifest.pop_back();
    const struct {
        const char* name;
        std::string file;
        Branding branding;
        std::string reason;
    } cases[] = {
        {"text", "just some text, long enough to hold a DOS header of sixty-four bytes.", {}, "the file is not a Windows executable."},
        {"no PE header", changed(0x3C, 0x100), {}, "the file is not a Windows executable (it has no PE header)."},
        {"PE header past the end", changed(0x3C, 0xFFFFFFFF), {}, "the file is not a Windows executable (it has no PE header)."},
        {"truncated", launcher.substr(0, 0x500), {}, "the file is damaged (a structure reaches past its end)."},
        {"section count past the end", changed(0x44, 0xFFFF0000 | 0x8664), {}, "the file is damaged (a structure reaches past its end)."},
        {"resources outside", changed(kDirectories + 16, 0x7000), {}, "the file is damaged (its resource directory is broken)."},
        {"signed", changed(kDirectories + 36, 0x100), {},
         "the file carries an Authenticode signature, which changing its resources would break: brand the unsigned "
         "launcher and sign the branded copy (sign after branding)."},
        {"another program", makeLauncher(launcherResources(u"Other")), {},
         "the file is not a Wexal launcher (its version resource has no InternalName \"Wexal\")."},
        {"no manifest", makeLauncher(withoutManifest), {{}, {}, "asInvoker"}, "the file has no manifest."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(refusalOf([&] { brandLauncher(c.file, c.branding); }), c.reason) << c.name;
    }
}

TEST(ReadIconImages, TakesEveryImageOfAnIconFileOrOnePngUpTo256Pixels) {
    const std::vector<IconImage> images = readIconImages(icoFile({"sixteen", "thirty-two"}));
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ((std::vector<int>{images[1].width, images[1].height, images[1].planes, images[1].bitCount}), (std::vector<int>{32, 32, 1, 32}));
    EXPECT_EQ(images[1].data, "thirty-two");
    const std::string png = pngHeader(256, 48);
    const std::vector<IconImage> fromPng = readIconImages(png);
    ASSERT_EQ(fromPng.size(), 1u);
    EXPECT_EQ((std::vector<int>{fromPng[0].width, fromPng[0].height, fromPng[0].planes, fromPng[0].bitCount}), (std::vector<int>{0, 48, 1, 32}));
    EXPECT_EQ(fromPng[0].data, png);
    EXPECT_EQ(iconGroupData(images, 7).substr(6 + 12, 2), std::string("\x07\0", 2));
}

TEST(ReadIconImages, RefusesOtherFilesWithTheirReason) {
    std::string overlapping = icoFile({"one", "two"});
    putU32(overlapping, 6 + 8, static_cast<std::uint32_t>(overlapping.size()));  // the first image claims the whole file
    putU32(overlapping, 6 + 12, 0);
    const struct {
        std::string file;
        std::string reason;
    } cases[] = {
        {pngHeader(257, 16), "the PNG image is 257x16 pixels; an icon image can be at most 256x256."},
        {pngHeader(16, 0), "the PNG image is 16x0 pixels; an icon image can be at most 256x256."},
        {pngHeader(16, 16).substr(0, 20), "the PNG image is damaged (a structure reaches past its end)."},
        {icoFile({}), "the icon file holds no image."},
        {icoFile({"image"}).substr(0, 24), "the icon file is damaged (a structure reaches past its end)."},
        {overlapping, "the icon file is damaged (its images overlap)."},
        {"GIF89a....", "the file is neither an icon file (.ico) nor a PNG image."},
        {"", "the file is neither an icon file (.ico) nor a PNG image."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(refusalOf([&] { readIconImages(c.file); }), c.reason) << c.reason;
    }
}

TEST(WithExecutionLevel, ChangesOnlyTheLevelAttribute) {
    const struct {
        std::string manifest;
        std::string expected;
    } cases[] = {
        {kManifest, std::string(kManifest).replace(kManifest.find("asInvoker"), 9, "highestAvailable")},
        {"<v3:requestedExecutionLevel uiAccess='false' level = 'asInvoker' />", "<v3:requestedExecutionLevel uiAccess='false' level = 'highestAvailable' />"},
        {"<!-- requestedExecutionLevel level=\"x\" --><requestedExecutionLevel\nlevel=\"requireAdministrator\"/>",
         "<!-- requestedExecutionLevel level=\"x\" --><requestedExecutionLevel\nlevel=\"highestAvailable\"/>"},
        {"<requestedExecutionLevel uiAccess=\"false\"/><level=\"x\"/>", "(refused)"},
        {"<assembly/>", "(refused)"},
    };
    for (const auto& c : cases) {
        std::string result = "(refused)";
        const std::string reason = refusalOf([&] { result = withExecutionLevel(c.manifest, "highestAvailable"); });
        EXPECT_EQ(result, c.expected) << c.manifest;
        const std::string expectedReason = c.expected == "(refused)" ? "the file's manifest has no requestedExecutionLevel with a level attribute." : "(accepted)";
        EXPECT_EQ(reason, expectedReason);
    }
}

TEST(ParseBrandArguments, ReadsEveryOptionAndRefusesWrongCommandLines) {
    const BrandRequest request = parseBrandArguments({L"in.exe", L"--version", L"1.2.3", L"--icon", L"a.png", L"out.exe",
                                                      L"--company", L"A", L"--company", L"B", L"--description", L"D",
                                                      L"--execution-level", L"highestAvailable"});
    EXPECT_EQ(toUtf8(request.input + L"|" + request.output + L"|" + request.icon.value_or(L"")), "in.exe|out.exe|a.png");
    EXPECT_EQ(request.version.figures, (std::array<std::uint16_t, 4>{1, 2, 3, 0}));
    EXPECT_EQ(request.version.texts, (std::vector<std::pair<std::u16string, std::u16string>>{
                                         {u"FileVersion", u"1.2.3"}, {u"ProductVersion", u"1.2.3"}, {u"CompanyName", u"B"}, {u"FileDescription", u"D"}}));
    EXPECT_EQ(request.executionLevel, "highestAvailable");

    const std::string usage = "\n" + toUtf8(kBrandUsage);
    const struct {
        std::vector<std::wstring> arguments;
        std::string reason;
    } cases[] = {
        {{}, "Name the launcher to brand and the file to write."},
        {{L"in.exe"}, "Name the launcher to brand and the file to write."},
        {{L"a", L"b", L"c"}, "Name the launcher to brand and the file to write."},
        {{L"in.exe", L"in.exe"}, "OUTPUT must be another file than INPUT, which stays unchanged."},
        {{L"a", L"b", L"--colour", L"red"}, "Unknown option: --colour"},
        {{L"a", L"b", L"--icon"}, "--icon needs a value."},
        {{L"a", L"b", L"--execution-level", L"admin"},
         "--execution-level takes asInvoker, highestAvailable or requireAdministrator: admin"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(refusalOf([&] { parseBrandArguments(c.arguments); }), c.reason + usage) << c.reason;
    }
    for (const wchar_t* version : {L"1.2", L"1.2.3.4.5", L"1.2.65536", L"1..3", L"1.2.3.", L"a.b.c", L"1.2.+3", L"000001.0.0"}) {
        EXPECT_EQ(refusalOf([&] { parseBrandArguments({L"a", L"b", L"--version", version}); }),
                  "--version takes X.Y.Z or X.Y.Z.W, each a number from 0 to 65535: " + toUtf8(version) + usage);
    }
    EXPECT_EQ(parseBrandArguments({L"a", L"b", L"--version", L"65535.0.0.7"}).version.figures, (std::array<std::uint16_t, 4>{65535, 0, 0, 7}));
}

}  // namespace
