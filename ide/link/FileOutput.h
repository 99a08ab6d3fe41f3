// Writing a user file so that it is either wholly replaced or left as it
// was: the bytes go to a temporary file in the same folder, are flushed to
// the disk and then renamed over the file. A full disk, a file-size limit or
// a folder that cannot be written therefore never leaves a cut-off or empty
// file behind. The replaced file's permissions (and, where allowed, its
// owner) carry over; a new file gets the usual permissions (0666 less the
// umask). A symbolic link stays a link: its target is replaced.
//
// A file that exists but is not a regular file (a terminal, /dev/null, a
// pipe) cannot be replaced by renaming; it is written in place.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelk {

// Replaces (or creates) `file` with `bytes`. Returns an empty string on
// success, otherwise the system's description of the failure (strerror
// text, e.g. "No space left on device"), and the file is unchanged.
std::string writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// Moves `from` to `to`, replacing `to` atomically: a rename where both lie
// on one file system, otherwise a copy written as above and the removal of
// `from`. Returns an empty string on success or the failure's description;
// on failure `to` is unchanged.
std::string moveFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace zelk
