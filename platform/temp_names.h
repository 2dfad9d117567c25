#pragma once
// Names for temporary files, in the system's style: up to three characters of prefix,
// hexadecimal digits, ".tmp". The file is made at once, exclusively and readable and writable
// by its owner only, so no other user can read the data or slip a link in its place.

#include <string>

namespace kb::platform {

// Creates a new empty file "<folder>/<prefix><8 hex digits>.tmp" and returns its path; ""
// when no file could be made there (errno tells why). Names already taken are skipped.
std::string CreateTempFileName(const std::string& folder, const std::string& prefix);

}  // namespace kb::platform
