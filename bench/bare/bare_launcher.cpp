// The least a launcher can do, as the yardstick for the start-up benchmark: load the VM library,
// create the VM with the class path, find the main class, call main, destroy the VM.
//
// Usage: bare_launcher <libjvm.so> <class path> <main class in slash form> [arguments...]
// Exit code 0 after main returned, 1 when any step fails (the step is named on stderr).
#include <dlfcn.h>
#include <jni.h>

#include <cstdio>
#include <string>

namespace {

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);

int fail(const char* step) {
    std::fprintf(stderr, "bare_launcher: %s failed\n", step);
    return 1;
}

// The Java String[] that main receives: the launcher's own arguments in order.
jobjectArray makeArguments(JNIEnv* env, int count, char** arguments) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (stringClass == nullptr) return nullptr;
    jobjectArray array = env->NewObjectArray(count, stringClass, nullptr);
    for (int i = 0; array != nullptr && i < count; ++i) {
        env->SetObjectArrayElement(array, i, env->NewStringUTF(arguments[i]));
    }
    return array;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <libjvm.so> <class path> <main class> [arguments...]\n", argv[0]);
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_GLOBAL);
    if (library == nullptr) return fail("dlopen");
    auto createJavaVm = reinterpret_cast<CreateJavaVm>(dlsym(library, "JNI_CreateJavaVM"));
    if (createJavaVm == nullptr) return fail("dlsym JNI_CreateJavaVM");

    std::string classPath = std::string("-Djava.class.path=") + argv[2];
    JavaVMOption option{};
    option.optionString = classPath.data();
    JavaVMInitArgs initArgs{};
    initArgs.version = JNI_VERSION_1_2;
    initArgs.nOptions = 1;
    initArgs.options = &option;
    initArgs.ignoreUnrecognized = JNI_FALSE;

    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    if (createJavaVm(&vm, reinterpret_cast<void**>(&env), &initArgs) < 0) return fail("JNI_CreateJavaVM");

    jclass mainClass = env->FindClass(argv[3]);
    if (mainClass == nullptr) return fail("FindClass");
    jmethodID mainMethod = env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    if (mainMethod == nullptr) return fail("GetStaticMethodID");
    jobjectArray arguments = makeArguments(env, argc - 4, argv + 4);
    if (arguments == nullptr) return fail("NewObjectArray");

    env->CallStaticVoidMethod(mainClass, mainMethod, arguments);
    if (env->ExceptionCheck()) {
        env->ExceptionDescribe();
        return fail("main");
    }
    vm->DestroyJavaVM();
    dlclose(library);
    return 0;
}
