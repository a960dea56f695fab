#pragma once

#include <string>
#include <string_view>

// Replacing a file as a whole: the bytes go to a temporary file beside the
// target, reach the disk, and only then take the target's place, so a failed
// save never leaves a half-written or missing file behind.
namespace ombrix::core {

// Writes bytes to path. A symbolic link is followed and its target replaced
// (the link stays a link); a target that is not a regular file, or that the
// user may not write, is refused and left alone. A file without any write
// permission bit counts as one the user may not write even for the
// superuser: marking a file read-only is how a user protects it. The
// replacement keeps the permissions (and, where allowed, the owner) of the
// file it replaces; a new file gets those the umask leaves. Returns the
// system's error text, empty on success.
std::string replaceFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace ombrix::core
