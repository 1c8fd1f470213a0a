// Small file-system helpers of the update code.
#pragma once

#include <string>

namespace Corvane {

bool FileExists(const std::wstring& path);

// True for an existing directory that is not a reparse point (junction, symbolic link,
// mount point): the update code writes as administrator and never writes through one.
bool IsPlainDirectory(const std::wstring& path);

// Deletes the file at path if there is one, read-only or not. True when nothing is left
// at path. A reparse point is left alone (false): removing a link is the same call as
// removing its target on some systems (Wine follows the link), and nothing of the update
// code may be written through it either.
bool RemoveFileIfPresent(const std::wstring& path);

}  // namespace Corvane
