#pragma once
// Small system queries: the operating-system family, the kind, free space and capacity of the
// disk that holds a path, and the check value of a passphrase of the older piece format.

#include <cstdint>
#include <string>

namespace kb {

// True on the NT family of systems, which this one always is.
bool IsWindowsNT();

// Text before the first NUL; all of it when it holds none.
std::string TrimAtNull(const std::string& Text);

// True when the drive that holds Drive (a path) is removable or a CD-ROM.
bool DiskRemovable(const std::string& Drive);
// True when the drive that holds Drive is a CD-ROM.
bool IsDiskCD(const std::string& Drive);

// Bytes the caller may still write on the disk that holds Path; 0 when it cannot be queried.
int64_t GetFreeDiskSpace(const std::string& Path);

// Total size of that disk (its free space for a CD-ROM, since a written CD is full); 0 when it
// cannot be queried.
int64_t GetDiskCapacity(const std::string& Path);

// The 16-bit check value of a passphrase, as stored in older-format encrypted pieces. A value
// outside the 16-bit range raises the overflow error 6.
int16_t GetCheckValue(const std::string& Text);

}  // namespace kb
