// The folder that holds a launch's startup cache: one that only the launching account can change,
// since the Java VM maps what it finds there into the program's process.
#pragma once

#include <string>
#include <vector>

#include "platform/FunctionRef.h"

// The folders to try, in order: the configured one (`configured`, when set) or else the one
// beside the executable `exePath`, named "<application>.cache"; then the user's cache folder
// for `application` (empty when no place's variable is set).
std::vector<std::wstring> cacheFolderCandidates(const std::wstring& configured, const std::wstring& exePath,
                                                const std::wstring& application);

// The first of `candidates` that exists or can be created private to the launching account and
// that is private (`platform::whyNotPrivate`); empty when none is. Calls `refuse` with each folder
// passed over and the reason.
std::wstring privateCacheFolder(const std::vector<std::wstring>& candidates,
                                FunctionRef<void(const std::wstring& folder, const std::wstring& why)> refuse);

// The user's cache folder for `application`: the first place of `platform::kUserCacheRoots` whose
// variable is set; empty when none is.
std::wstring userCacheFolder(const std::wstring& application);

// `name` inside `folder`, joined by a separator unless the folder ends in one.
std::wstring inFolder(const std::wstring& folder, const std::wstring& name);
