/* Machine-dependent JNI types for the Windows builds, whose JDK headers are not on this machine.
   Must match what the Windows jvm.dll was built with: on 32-bit Windows every JNI call and the
   exported JNI_CreateJavaVM are __stdcall, and jint is a 32-bit long. */
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif /* !_JAVASOFT_JNI_MD_H_ */
