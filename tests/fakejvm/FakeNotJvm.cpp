// A library that loads but is no VM library: it exports no JNI_CreateJavaVM, and needs nothing but
// the C++ runtime, so that nothing it depends on exports one either.
#include <jni.h>

extern "C" JNIEXPORT int fakeNotJvm() {
    return 0;
}
