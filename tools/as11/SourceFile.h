// as11's file handling apart from the assembly itself: reading the source
// within a size bound, and telling whether two names reach one file. Kept
// in the library so the rules are tested without running the program.
#pragma once

#include <cstddef>
#include <filesystem>
#include <istream>
#include <string>

namespace zelk::as11 {

// The largest source as11 reads. Far beyond any program for a 64 KB target
// (with comments), and small enough that an endless input (/dev/zero, a pipe
// that never ends) stops within a moment instead of filling the memory.
inline constexpr size_t MaxSourceBytes = size_t(16) * 1024 * 1024;

// Reads all of `in` into `text`, at most `limit` bytes. Returns false with
// `error` set when the input is longer ("larger than 16 MB", for the bound
// above) or a read fails.
bool readSource(std::istream& in, size_t limit, std::string& text, std::string& error);

// Reads the source file: refuses a folder and anything that cannot be
// opened, with the system's description in `error`, then as readSource.
bool readSourceFile(const std::filesystem::path& file, size_t limit, std::string& text, std::string& error);

// Whether the names a and b reach one file: the same file when both exist
// (hard links and symbolic links included), otherwise the same absolute
// path once "." and ".." and the links of the existing part are resolved.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// "16 MB" style text of a byte count for messages (whole MB, KB or bytes).
std::string sizeText(size_t bytes);

} // namespace zelk::as11
