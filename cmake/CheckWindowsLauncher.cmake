# Checks a release build of the windowed launcher: the executable EXE within BUDGET_KB kilobytes
# of 1024 bytes, and its linker's map MAP free of the C++ library's prebuilt strings.
#   cmake -DEXE=<path> -DMAP=<path> -DBUDGET_KB=<n> -P CheckWindowsLauncher.cmake

# An archive member in the map's list of those the link took, with the line after it, which names
# the file and the symbol that needed it.
file(READ "${MAP}" map)
string(REGEX MATCH "[^\n]*libstdc\\+\\+\\.a\\(w?string-inst\\.o\\)\n[^\n]*" prebuilt_strings "${map}")
if(prebuilt_strings)
  message(FATAL_ERROR "${EXE} links the C++ library's prebuilt strings for a string member that "
    "src/runtime/StringMembers.cpp does not list (add it there). From ${MAP}:\n${prebuilt_strings}")
endif()

file(SIZE "${EXE}" bytes)
math(EXPR budget_bytes "${BUDGET_KB} * 1024")
if(bytes GREATER budget_bytes)
  math(EXPR excess "${bytes} - ${budget_bytes}")
  message(FATAL_ERROR "${EXE} is ${bytes} bytes, ${excess} above its budget of ${BUDGET_KB} KB. "
    "${MAP} shows what the link brought in; bench/startup.py lists the largest parts.")
endif()
