// A test double of the VM's splash-screen library: its three entry points record their calls in
// the fake VM's log (see FakeJvm.cpp):
//   SplashInit
//   SplashLoadFile <file name's bytes as received>
//   SplashSetFileJarName <jar name, or "null"> <file name's bytes as received>
#include <jni.h>

#include <string>

#include "FakeLog.h"

extern "C" {

JNIEXPORT void SplashInit() {
    fakejvm::appendLogLine("SplashInit");
}

JNIEXPORT int SplashLoadFile(const char* fileName) {
    fakejvm::appendLogLine(std::string("SplashLoadFile ") + fileName);
    return 1;
}

JNIEXPORT void SplashSetFileJarName(const char* fileName, const char* jarName) {
    fakejvm::appendLogLine(std::string("SplashSetFileJarName ") + (jarName ? jarName : "null") + " " + fileName);
}

}  // extern "C"
