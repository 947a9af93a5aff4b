// Folders that only the running account can change, where the launcher may keep files that the
// Java VM later trusts: the test of an existing folder and the creation of a new one.
#pragma once

#include <optional>
#include <string>

namespace platform {

// Why the existing folder `folder` is not private to the running account; empty when it is. A
// private folder is no symbolic link or other reparse point, is owned by the account, and grants
// no other account the right to add, change or remove its entries: on Linux its mode lets only
// the owner write and every folder above it (links resolved) is the owner's or root's and
// writable by no one else unless it is sticky; on Windows its owner is the account and its
// access list lets only the account, SYSTEM and Administrators write. The reason is a short
// phrase, e.g. "it is a symbolic link" or "other accounts can write to it".
std::optional<std::wstring> whyNotPrivate(const std::wstring& folder);

// Creates the folder `folder`, and the missing folders above it, private to the running account
// (mode 0700 on Linux; on Windows an access list of its own, not inherited, for the account,
// SYSTEM and Administrators). True when it was created or existed already (which says nothing of
// an existing folder's privacy: test that with `whyNotPrivate`). On Linux nothing is created in a
// folder that another account can change (as `whyNotPrivate` judges the folders above); false then.
bool createPrivateDirectories(const std::wstring& folder);

}  // namespace platform
