#pragma once
// GCab reads each file it stores through a GFile, and reports only once a file is done; a
// large file would show no progress at all while it is compressed. The file here stands for a
// local file and counts every byte read through it, so that another thread can follow the
// reading as it goes. Only the archive code uses it, hence the GIO types.

#include <gio/gio.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace kb::platform {

// A new reference to a file that is the local file at `path` in every respect, except that
// each read from a stream it opens adds the bytes read to `*count` (which must outlive every
// stream opened). Its copies (g_file_dup) count into the same counter; its parent and the
// files below it are plain local files.
GFile* NewCountedFile(const std::string& path, std::atomic<uint64_t>* count);

}  // namespace kb::platform
