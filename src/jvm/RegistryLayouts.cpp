// The registry layouts of the Java installers, and their reading in every root and view.
#include "jvm/RegistryLayouts.h"

#include "jvm/WindowsRegistry.h"

namespace {

using platform::RegistryRoot;
using platform::RegistryView;

// The JavaSoft keys of every Java generation (a Java 9+ runtime's key also names its VM library),
// then the vendors' own, whose installation subkey holds the folder in a key per VM implementation.
const RegistryLayout kLayouts[] = {
    {L"SOFTWARE\\JavaSoft\\Java Development Kit", L"", L"JavaHome", L"sdk"},
    {L"SOFTWARE\\JavaSoft\\Java Runtime Environment", L"", L"JavaHome", L"jre"},
    {L"SOFTWARE\\JavaSoft\\JDK", L"", L"JavaHome", L"sdk"},
    {L"SOFTWARE\\JavaSoft\\JRE", L"", L"JavaHome", L"jre", L"RuntimeLib"},
    {L"SOFTWARE\\Eclipse Adoptium\\JDK", L"hotspot\\MSI", L"Path", L"sdk"},
    {L"SOFTWARE\\Eclipse Adoptium\\JRE", L"hotspot\\MSI", L"Path", L"jre"},
    {L"SOFTWARE\\Eclipse Adoptium\\JDK", L"openj9\\MSI", L"Path", L"sdk"},
    {L"SOFTWARE\\Eclipse Adoptium\\JRE", L"openj9\\MSI", L"Path", L"jre"},
    {L"SOFTWARE\\Eclipse Foundation\\JDK", L"hotspot\\MSI", L"Path", L"sdk"},
    {L"SOFTWARE\\Eclipse Foundation\\JRE", L"hotspot\\MSI", L"Path", L"jre"},
    {L"SOFTWARE\\Eclipse Foundation\\JDK", L"openj9\\MSI", L"Path", L"sdk"},
    {L"SOFTWARE\\Eclipse Foundation\\JRE", L"openj9\\MSI", L"Path", L"jre"},
    {L"SOFTWARE\\AdoptOpenJDK\\JDK", L"hotspot\\MSI", L"Path", L"sdk"},
    {L"SOFTWARE\\AdoptOpenJDK\\JRE", L"hotspot\\MSI", L"Path", L"jre"},
    {L"SOFTWARE\\AdoptOpenJDK\\JDK", L"openj9\\MSI", L"Path", L"sdk"},
    {L"SOFTWARE\\AdoptOpenJDK\\JRE", L"openj9\\MSI", L"Path", L"jre"},
    {L"SOFTWARE\\Microsoft\\JDK", L"hotspot\\MSI", L"Path", L"sdk"},
    {L"SOFTWARE\\Semeru\\JDK", L"openj9\\MSI", L"Path", L"sdk"},
    {L"SOFTWARE\\Semeru\\JRE", L"openj9\\MSI", L"Path", L"jre"},
    {L"SOFTWARE\\Azul Systems\\Zulu", L"", L"InstallationPath", L""},
    {L"SOFTWARE\\BellSoft\\Liberica", L"", L"InstallationPath", L""},
};

// The machine-wide installations before the per-user ones, the program's own view (whose VMs it
// can load) before the other, whose Javas are listed so that a refusal can name them.
const struct {
    RegistryRoot root;
    RegistryView view;
} kLocations[] = {
    {RegistryRoot::LocalMachine, RegistryView::Own},
    {RegistryRoot::CurrentUser, RegistryView::Own},
    {RegistryRoot::LocalMachine, RegistryView::Other},
    {RegistryRoot::CurrentUser, RegistryView::Other},
};

}  // namespace

void addRegistryJvms(std::vector<JVM>& jvms) {
    for (const auto& location : kLocations) {
        const WindowsRegistry registry(location.root, location.view);
        for (const RegistryLayout& layout : kLayouts) registry.addLayoutJvms(jvms, layout);
    }
}
