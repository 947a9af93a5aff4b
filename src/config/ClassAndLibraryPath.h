// The class path and the library path: merging the collected jar files and library folders into
// the VM options at launch. (Collecting them is done by the Properties operations
// addJarsToClasspath and addLibraryPathDirectories.)
#pragma once

class Properties;

// Appends the collected jar files to every "-Djava.class.path" option and the collected library
// folders to every "-Djava.library.path" option of `properties`; where there is no such option and
// the collected text is not empty, appends a new "-Djava.class.path=" or "-Djava.library.path="
// option, class path first. An option whose value is empty gets no empty first entry: it starts
// with the first collected one. With a working folder set, each relative collected entry becomes
// the home folder, a separator and the entry. Failures travel to the caller.
void completePathOptions(Properties& properties);
