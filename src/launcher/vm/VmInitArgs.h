// The Java VM's init arguments, every option in the VM's code page, and the system properties that
// only the created VM can take.
#pragma once

#include <jni.h>

#include <string>
#include <vector>

#include "launcher/vm/VmOptionText.h"

// Called with the exit code when the Java program ends the process itself (System.exit), just
// before the process ends.
using VmExitHook = void(JNICALL*)(jint exitCode);

// Called when the VM ends the process because of a failure (one while it is created, or while it
// writes a class-data archive on its way out, or a fatal error), just before the process ends.
using VmAbortHook = void(JNICALL*)();

// The VM's init arguments: JNI 1.2, unrecognised options refused, one narrow copy of each option in
// the VM's code page (`encodeOption`), then the VM's "exit" and "abort" options for the hooks
// given. A "-D" option that does not fit there is left out and kept as a late property, to be set
// once the VM exists, unless the VM reads that property while it starts (`isReadWhileVmStarts`); a
// later option for the same property drops it. Any other option that does not fit throws a LaunchError
// that names it. Owns the copies; the VM may keep no pointer into them once JNI_CreateJavaVM has
// returned.
class VmInitArgs {
public:
    explicit VmInitArgs(const std::vector<std::wstring>& options, const VmTextEncoding& encoding = systemVmTextEncoding(),
                        VmExitHook exitHook = nullptr, VmAbortHook abortHook = nullptr);
    VmInitArgs(const VmInitArgs&) = delete;
    VmInitArgs& operator=(const VmInitArgs&) = delete;

    // The arguments for JNI_CreateJavaVM; they point into this object.
    JavaVMInitArgs* get() { return &m_args; }

    // The properties left out of the arguments, in the order of their options.
    const std::vector<SystemProperty>& lateProperties() const { return m_lateProperties; }

    // Lines for the debug file: the path list entries left out of the options.
    const std::vector<std::wstring>& notes() const { return m_notes; }

private:
    void addOption(const std::wstring& option, const VmTextEncoding& encoding);
    void dropLateProperty(const std::wstring& name);

    std::vector<std::string> m_texts;
    std::vector<JavaVMOption> m_options;
    std::vector<SystemProperty> m_lateProperties;
    std::vector<std::wstring> m_notes;
    JavaVMInitArgs m_args{};
};

// Sets `properties` in order through java.lang.System.setProperty, names and values made from their
// exact UTF-16 text, so that the program reads what the configuration says. A failure describes
// the pending exception on the VM's error stream and throws a LaunchError naming the property.
void setSystemProperties(JNIEnv* env, const std::vector<SystemProperty>& properties);
