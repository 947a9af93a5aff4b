// The Java VM's init arguments, and the properties set once the VM exists.
#include "launcher/vm/VmInitArgs.h"

#include <algorithm>

#include "launcher/vm/PendingException.h"
#include "platform/TextEncoding.h"
#include "report/ErrorReport.h"

namespace {

jstring newJavaString(JNIEnv* env, const std::wstring& text) {
    const std::u16string units = toUtf16(text);
    return env->NewString(reinterpret_cast<const jchar*>(units.data()), static_cast<jsize>(units.size()));
}

}  // namespace

VmInitArgs::VmInitArgs(const std::vector<std::wstring>& options, const VmTextEncoding& encoding, VmExitHook exitHook,
                       VmAbortHook abortHook) {
    m_texts.reserve(options.size() + 2);
    for (const std::wstring& option : options) addOption(option, encoding);
    for (std::string& text : m_texts) m_options.push_back(JavaVMOption{text.data(), nullptr});
    // The VM takes each hook as its option's extra information; the option texts are literals.
    if (exitHook != nullptr) m_options.push_back(JavaVMOption{const_cast<char*>("exit"), reinterpret_cast<void*>(exitHook)});
    if (abortHook != nullptr) m_options.push_back(JavaVMOption{const_cast<char*>("abort"), reinterpret_cast<void*>(abortHook)});
    m_args.version = JNI_VERSION_1_2;
    m_args.nOptions = static_cast<jint>(m_options.size());
    m_args.options = m_options.data();
    m_args.ignoreUnrecognized = JNI_FALSE;
}

void VmInitArgs::addOption(const std::wstring& option, const VmTextEncoding& encoding) {
    std::optional<SystemProperty> property = systemPropertyOf(option);
    // Java's rule is that the last option for a property wins; an earlier option kept as a late
    // property would be set after the VM's creation and so win instead.
    if (property) dropLateProperty(property->name);
    std::vector<std::wstring> leftOut;
    if (std::optional<std::string> text = encodeOption(option, encoding, &leftOut)) {
        m_texts.push_back(std::move(*text));
        for (const std::wstring& entry : leftOut) {
            m_notes.push_back(L"Left out of " + property->name + L" as the system's code page cannot hold it and it does not exist: " + entry);
        }
        return;
    }
    // The VM would read the property's value wrongly, but the program can still get it exactly,
    // unless the VM reads it while it starts.
    if (property && !isReadWhileVmStarts(property->name)) {
        m_lateProperties.push_back(std::move(*property));
        return;
    }
    throw LaunchError{unencodableOptionMessage(option, encoding)};
}

void VmInitArgs::dropLateProperty(const std::wstring& name) {
    const auto sameName = [&name](const SystemProperty& late) { return late.name == name; };
    m_lateProperties.erase(std::remove_if(m_lateProperties.begin(), m_lateProperties.end(), sameName), m_lateProperties.end());
}

void setSystemProperties(JNIEnv* env, const std::vector<SystemProperty>& properties) {
    if (properties.empty()) return;
    const jclass system = env->FindClass("java/lang/System");
    const jmethodID setProperty =
        system ? env->GetStaticMethodID(system, "setProperty", "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;") : nullptr;
    for (const SystemProperty& property : properties) {
        if (setProperty) {
            jvalue arguments[2];
            arguments[0].l = newJavaString(env, property.name);
            arguments[1].l = newJavaString(env, property.value);
            env->CallStaticObjectMethodA(system, setProperty, arguments);
        }
        // Described first, so that a failed look-up of the method shows its exception too.
        if (describePendingException(env) || !setProperty) {
            throw LaunchError{L"Error occurred while setting the Java system property " + property.name};
        }
    }
}
