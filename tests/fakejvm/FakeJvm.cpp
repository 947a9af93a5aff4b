// A test double of the Java VM library (jvm.dll, libjvm.so): it exports JNI_CreateJavaVM, answers
// the JNI calls the launcher makes and records each of them, so that tests can check what a launch
// hands the VM and how it reacts to every failing step.
//
// Environment:
//   WEXAL_FAKE_JVM_LOG   file to which every call is appended as one line (nothing when unset)
//   WEXAL_FAKE_JVM_FAIL  comma-separated steps to fail, read again at every JNI_CreateJavaVM:
//     create               JNI_CreateJavaVM returns JNI_ERR
//     create-exception     JNI_CreateJavaVM succeeds with an exception pending
//     create-slowly        JNI_CreateJavaVM takes two seconds, as a large VM may
//     findclass-null       FindClass of any class but java/lang/String returns null
//     findclass-exception  ... returns null with an exception pending
//     method-null          GetStaticMethodID of "main" returns null
//     method-exception     ... returns null with an exception pending
//     array-null           NewObjectArray returns null
//     set-exception        SetObjectArrayElement leaves an exception pending
//     main-exception       calling main leaves an exception pending
//     attach               AttachCurrentThread returns JNI_ERR
//     initiateexit-null    GetStaticMethodID of "initiateExit" returns null with an exception pending
//     setproperty-exception  calling System.setProperty leaves an exception pending
//     create-abort-with-cache  JNI_CreateJavaVM given a class-data archive option logs "abort", calls
//                          the "abort" hook and ends the process with exit code 1, as a VM that
//                          cannot start with the archive does
//   WEXAL_FAKE_JVM_MAIN=wait-for-exit  main returns only once initiateExit has been called (at
//     most 30 s), so that a console event can be sent to a running launcher.
//   WEXAL_FAKE_JVM_MAIN=exit=<n>  main ends the process with exit code n, as System.exit(n) does.
//   WEXAL_FAKE_JVM_MAIN=print     main writes the line "main called" to the standard output stream.
// VM options (for a launcher started by a service manager, which does not pass the environment on):
//   -Dfakejvm.log=<file>             the log file when WEXAL_FAKE_JVM_LOG is unset
//   -Dfakejvm.main=<mode>            as WEXAL_FAKE_JVM_MAIN
//   -Dfakejvm.fail=<steps>           as WEXAL_FAKE_JVM_FAIL
// The VM's own "exit" option gives the hook that main calls before it ends the process (exit=<n>),
// its "abort" option the hook of create-abort-with-cache.
//
// Log lines (fields separated by one blank; the last field is free text and may hold blanks or be
// empty; texts are UTF-8, except options and names, which are the bytes received; every line ends
// with "\n" on every system):
//   JNI_CreateJavaVM version=0x<8 hex digits> nOptions=<n> ignoreUnrecognized=<0|1>
//   option <text>                              one per option, in order, after the line above
//   ExceptionOccurred <pending|none>
//   ExceptionDescribe
//   FindClass <name>
//   GetStaticMethodID <class> <name> <signature>
//   NewStringUTF <text>
//   NewObjectArray <length> <element class> <initial element's text>
//   NewString <text>                           the UTF-16 units it was given, as UTF-8
//   SetObjectArrayElement <index> <element's text>
//   CallStaticVoidMethod <class> <method> <argument>   main: the array's length; otherwise the int
//   CallStaticObjectMethodA <class> <method> <first argument's text> <second argument's text>
//   DestroyJavaVM
//   AttachCurrentThread
//   DetachCurrentThread
// The fake splash library and the fake C runtime libraries write to the same log (see there).
// Unit tests may also hook into main through the exported fakeJvmSetMainHook (below).
#define _JNI_IMPLEMENTATION_
#include <jni.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FakeLog.h"

namespace {

using fakejvm::appendLogLine;

struct FakeClass {
    std::string name;
};

struct FakeMethod {
    std::string className;
    std::string name;
};

struct FakeArray {
    std::vector<std::string> elements;
};

// Everything the fake VM holds; the JNI handles it hands out are addresses of these objects.
struct VmState {
    std::mutex mutex;
    std::condition_variable initiateExitCalled;
    std::string failures;  // ",step,step,"
    std::string mainMode;  // WEXAL_FAKE_JVM_MAIN
    void(JNICALL* exitHook)(jint) = nullptr;
    void(JNICALL* abortHook)() = nullptr;
    bool exitInitiated = false;
    bool exceptionPending = false;
    std::deque<FakeClass> classes;
    std::deque<FakeMethod> methods;
    std::deque<std::string> strings;
    std::deque<FakeArray> arrays;
    void (*mainHook)(void*) = nullptr;
    void* mainHookContext = nullptr;
};

VmState& state() {
    static VmState vm;
    return vm;
}

bool fails(const char* step) {
    return state().failures.find(std::string(",") + step + ",") != std::string::npos;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void reset() {
    VmState& vm = state();
    vm.failures = "," + environment("WEXAL_FAKE_JVM_FAIL") + ",";
    vm.mainMode = environment("WEXAL_FAKE_JVM_MAIN");
    vm.exitHook = nullptr;
    vm.abortHook = nullptr;
    vm.exitInitiated = false;
    vm.exceptionPending = false;
    vm.classes.clear();
    vm.methods.clear();
    vm.strings.clear();
    vm.arrays.clear();
}

template <class Handle, class Object>
Handle handleOf(Object& object) {
    return reinterpret_cast<Handle>(&object);
}

template <class Object, class Handle>
Object& objectOf(Handle handle) {
    return *reinterpret_cast<Object*>(handle);
}

// The text of a string handle; a null one reads as "null".
std::string textOf(jobject string) {
    return string ? objectOf<std::string>(string) : "null";
}

// UTF-16 units as UTF-8; a lone surrogate becomes U+FFFD.
std::string utf8FromUtf16(const jchar* units, jsize length) {
    std::string text;
    for (jsize i = 0; i < length; ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            text += {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            text += {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                     static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
    return text;
}

// The JNI functions the launcher uses; each takes the state's lock.

jthrowable JNICALL exceptionOccurred(JNIEnv*) {
    std::lock_guard<std::mutex> lock(state().mutex);
    appendLogLine(std::string("ExceptionOccurred ") + (state().exceptionPending ? "pending" : "none"));
    static int throwable;
    return state().exceptionPending ? reinterpret_cast<jthrowable>(&throwable) : nullptr;
}

void JNICALL exceptionDescribe(JNIEnv*) {
    std::lock_guard<std::mutex> lock(state().mutex);
    appendLogLine("ExceptionDescribe");
    state().exceptionPending = false;
}

jclass JNICALL findClass(JNIEnv*, const char* name) {
    std::lock_guard<std::mutex> lock(state().mutex);
    appendLogLine(std::string("FindClass ") + name);
    if (std::string(name) != "java/lang/String") {
        if (fails("findclass-null")) return nullptr;
        if (fails("findclass-exception")) {
            state().exceptionPending = true;
            return nullptr;
        }
    }
    return handleOf<jclass>(state().classes.emplace_back(FakeClass{name}));
}

jmethodID JNICALL getStaticMethodId(JNIEnv*, jclass cls, const char* name, const char* signature) {
    std::lock_guard<std::mutex> lock(state().mutex);
    const std::string className = objectOf<FakeClass>(cls).name;
    appendLogLine("GetStaticMethodID " + className + " " + name + " " + signature);
    const std::string method = name;
    const bool isMain = method == "main";
    if ((isMain && fails("method-exception")) || (method == "initiateExit" && fails("initiateexit-null"))) {
        state().exceptionPending = true;
        return nullptr;
    }
    if (isMain && fails("method-null")) return nullptr;
    return handleOf<jmethodID>(state().methods.emplace_back(FakeMethod{className, method}));
}

jstring JNICALL newStringUtf(JNIEnv*, const char* text) {
    std::lock_guard<std::mutex> lock(state().mutex);
    appendLogLine(std::string("NewStringUTF ") + text);
    return handleOf<jstring>(state().strings.emplace_back(text));
}

jstring JNICALL newString(JNIEnv*, const jchar* units, jsize length) {
    std::lock_guard<std::mutex> lock(state().mutex);
    const std::string text = utf8FromUtf16(units, length);
    appendLogLine("NewString " + text);
    return handleOf<jstring>(state().strings.emplace_back(text));
}

jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass elementClass, jobject initial) {
    std::lock_guard<std::mutex> lock(state().mutex);
    const std::string initialText = textOf(initial);
    appendLogLine("NewObjectArray " + std::to_string(length) + " " + objectOf<FakeClass>(elementClass).name + " " + initialText);
    if (fails("array-null")) return nullptr;
    return handleOf<jobjectArray>(state().arrays.emplace_back(FakeArray{std::vector<std::string>(length, initialText)}));
}

void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray array, jsize index, jobject element) {
    std::lock_guard<std::mutex> lock(state().mutex);
    const std::string text = textOf(element);
    appendLogLine("SetObjectArrayElement " + std::to_string(index) + " " + text);
    objectOf<FakeArray>(array).elements.at(index) = text;
    if (fails("set-exception")) state().exceptionPending = true;
}

// Writes "main called" as System.out.println does: on Windows through the standard output handle as
// it is when the VM starts (not through a C runtime's descriptor, set up when the process started),
// elsewhere to descriptor 1.
void printMainCalled() {
#ifdef _WIN32
    const char line[] = "main called\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, sizeof line - 1, &written, nullptr);
#else
    std::fputs("main called\n", stdout);
    std::fflush(stdout);
#endif
}

void callMain(const FakeMethod& method, jobjectArray arguments) {
    std::unique_lock<std::mutex> lock(state().mutex);
    appendLogLine("CallStaticVoidMethod " + method.className + " main " + std::to_string(objectOf<FakeArray>(arguments).elements.size()));
    const std::string& mode = state().mainMode;
    if (mode.rfind("exit=", 0) == 0) {
        const int exitCode = std::atoi(mode.c_str() + 5);
        void(JNICALL* exitHook)(jint) = state().exitHook;
        lock.unlock();
        if (exitHook) exitHook(exitCode);
        std::exit(exitCode);
    }
    if (mode == "print") printMainCalled();
    if (mode == "wait-for-exit") {
        state().initiateExitCalled.wait_for(lock, std::chrono::seconds(30), [] { return state().exitInitiated; });
    }
    if (fails("main-exception")) state().exceptionPending = true;
    void (*hook)(void*) = state().mainHook;
    void* context = state().mainHookContext;
    lock.unlock();
    if (hook) hook(context);
}

void callInt(const FakeMethod& method, jint argument) {
    std::lock_guard<std::mutex> lock(state().mutex);
    appendLogLine("CallStaticVoidMethod " + method.className + " " + method.name + " " + std::to_string(argument));
    if (method.name != "initiateExit") return;
    state().exitInitiated = true;
    state().initiateExitCalled.notify_all();
}

// Variadic, as the table's entry is: the launcher passes the String array to main and an int to
// initiateExit.
void JNICALL callStaticVoidMethod(JNIEnv*, jclass, jmethodID methodId, ...) {
    const FakeMethod& method = objectOf<FakeMethod>(methodId);
    va_list arguments;
    va_start(arguments, methodId);
    if (method.name == "main") {
        callMain(method, va_arg(arguments, jobjectArray));
    } else {
        callInt(method, va_arg(arguments, jint));
    }
    va_end(arguments);
}

// Takes two string arguments, as the one such method the launcher calls (System.setProperty) does.
jobject JNICALL callStaticObjectMethodA(JNIEnv*, jclass, jmethodID methodId, const jvalue* arguments) {
    std::lock_guard<std::mutex> lock(state().mutex);
    const FakeMethod& method = objectOf<FakeMethod>(methodId);
    appendLogLine("CallStaticObjectMethodA " + method.className + " " + method.name + " " + textOf(arguments[0].l) + " " +
                  textOf(arguments[1].l));
    if (fails("setproperty-exception")) state().exceptionPending = true;
    return nullptr;
}

JNINativeInterface_ makeNativeInterface() {
    JNINativeInterface_ table{};
    table.ExceptionOccurred = exceptionOccurred;
    table.ExceptionDescribe = exceptionDescribe;
    table.FindClass = findClass;
    table.GetStaticMethodID = getStaticMethodId;
    table.NewStringUTF = newStringUtf;
    table.NewString = newString;
    table.NewObjectArray = newObjectArray;
    table.SetObjectArrayElement = setObjectArrayElement;
    table.CallStaticVoidMethod = callStaticVoidMethod;
    table.CallStaticObjectMethodA = callStaticObjectMethodA;
    return table;
}

const JNINativeInterface_ nativeInterface = makeNativeInterface();
JNIEnv fakeEnv{&nativeInterface};

jint JNICALL destroyJavaVm(JavaVM*) {
    appendLogLine("DestroyJavaVM");
    return JNI_OK;
}

jint JNICALL attachCurrentThread(JavaVM*, void** env, void*) {
    std::lock_guard<std::mutex> lock(state().mutex);
    appendLogLine("AttachCurrentThread");
    if (fails("attach")) return JNI_ERR;
    *env = &fakeEnv;
    return JNI_OK;
}

jint JNICALL detachCurrentThread(JavaVM*) {
    appendLogLine("DetachCurrentThread");
    return JNI_OK;
}

JNIInvokeInterface_ makeInvokeInterface() {
    JNIInvokeInterface_ table{};
    table.DestroyJavaVM = destroyJavaVm;
    table.AttachCurrentThread = attachCurrentThread;
    table.DetachCurrentThread = detachCurrentThread;
    return table;
}

const JNIInvokeInterface_ invokeInterface = makeInvokeInterface();
JavaVM fakeVm{&invokeInterface};

void logInitArgs(const JavaVMInitArgs& args) {
    char version[16];
    std::snprintf(version, sizeof version, "0x%08lx", static_cast<unsigned long>(args.version));
    appendLogLine(std::string("JNI_CreateJavaVM version=") + version + " nOptions=" + std::to_string(args.nOptions) +
                  " ignoreUnrecognized=" + std::to_string(args.ignoreUnrecognized));
    for (jint i = 0; i < args.nOptions; ++i) appendLogLine(std::string("option ") + args.options[i].optionString);
}

void applyOptions(const JavaVMInitArgs& args) {
    const std::string logOption = "-Dfakejvm.log=";
    for (jint i = 0; i < args.nOptions; ++i) {
        const std::string option = args.options[i].optionString;
        if (option.rfind(logOption, 0) == 0) fakejvm::setLogPath(option.substr(logOption.size()));
        const std::string mainOption = "-Dfakejvm.main=";
        if (option.rfind(mainOption, 0) == 0) state().mainMode = option.substr(mainOption.size());
        const std::string failOption = "-Dfakejvm.fail=";
        if (option.rfind(failOption, 0) == 0) state().failures = "," + option.substr(failOption.size()) + ",";
        if (option == "exit") state().exitHook = reinterpret_cast<void(JNICALL*)(jint)>(args.options[i].extraInfo);
        if (option == "abort") state().abortHook = reinterpret_cast<void(JNICALL*)()>(args.options[i].extraInfo);
    }
}

bool hasArchiveOption(const JavaVMInitArgs& args) {
    for (jint i = 0; i < args.nOptions; ++i) {
        const std::string option = args.options[i].optionString;
        if (option.rfind("-XX:ArchiveClassesAtExit=", 0) == 0 || option.rfind("-XX:SharedArchiveFile=", 0) == 0) return true;
    }
    return false;
}

}  // namespace

extern "C" {

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* initArgs) {
    std::lock_guard<std::mutex> lock(state().mutex);
    reset();
    applyOptions(*static_cast<const JavaVMInitArgs*>(initArgs));
    logInitArgs(*static_cast<const JavaVMInitArgs*>(initArgs));
    if (fails("create")) return JNI_ERR;
    if (fails("create-abort-with-cache") && hasArchiveOption(*static_cast<const JavaVMInitArgs*>(initArgs))) {
        appendLogLine("abort");
        if (state().abortHook) state().abortHook();
        std::exit(1);
    }
    if (fails("create-exception")) state().exceptionPending = true;
    if (fails("create-slowly")) std::this_thread::sleep_for(std::chrono::seconds(2));
    *vm = &fakeVm;
    *env = &fakeEnv;
    return JNI_OK;
}

// For unit tests: `hook` runs with `context` on the VM's main thread each time main is called,
// after the call has been recorded (null removes it).
JNIEXPORT void fakeJvmSetMainHook(void (*hook)(void*), void* context) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().mainHook = hook;
    state().mainHookContext = context;
}

}  // extern "C"
