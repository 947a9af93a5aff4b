// The one way the launcher looks at a Java exception that a JNI call left behind.
#pragma once

#include <jni.h>

// True when a Java exception is pending on `env`; its description then goes to the VM's error
// stream (which also clears it).
inline bool describePendingException(JNIEnv* env) {
    if (!env->ExceptionOccurred()) return false;
    env->ExceptionDescribe();
    return true;
}
