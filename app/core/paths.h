#pragma once
// Text, size and path helpers shared by every part of the program. Paths are POSIX paths: "/"
// separates folders, there are no drive letters, and ":" is an ordinary character. Names are
// compared byte for byte (case-sensitive); texts are 8-bit (UTF-8), their lengths byte counts.

#include <cstdint>
#include <string>
#include <vector>

namespace kb {

// ---- Files and the current folder

// True only for a regular file that can be opened for reading. A folder, a device, a FIFO
// (never waited on), a missing or unreadable file and the empty path give false. Never raises.
bool FileExists(const std::string& path);

// Saves the current folder, then makes `folder` current; returns `folder`. A folder that
// cannot be entered raises 76 ("Path not found"), source "ChangeToFolder", after the saved
// folder has been replaced.
std::string ChangeToFolder(const std::string& folder);

// Returns the saved folder (returnSaved true) or the current folder as it was found (false),
// then makes the saved folder current again; a failure to change back is ignored.
std::string RestoreFolder(bool returnSaved);

// The path unchanged.
std::string IdentityPath(const std::string& path);

// ---- Taking paths apart

// The text after the last "/"; the whole text when it has none.
std::string GetFileNameFromPath(const std::string& path);

// The text up to and including the last "/": "/data/backup.tar.gz" gives "/data/", "/name"
// gives "/". A bare name without any "/" cannot be placed: the critical box "Critical error",
// "Cannot determine path of: <path>" is shown and the program ends (kb::EndProgram).
std::string GetFolderFromPath(const std::string& path);

// The text before its last "." unless that dot is the first character (".profile" stays);
// a dot in a folder name counts when the file name has none ("/ver1.2/readme" gives "/ver1").
std::string RemoveExtension(const std::string& fileName);

// The text after the last "/" (empty when the path ends in "/").
std::string StripFolder(const std::string& path);

// Path without one trailing "/" ("/" gives ""). With keepArgument false the caller's path is
// changed to the result too.
std::string RemoveTrailingBackslash(std::string& path, bool keepArgument);

// ---- Naming templates and text

// The file name of piece `number` under a naming template: "%f" becomes the name's base (the
// file name without folder, before its last "."), "%x" its extension, "%n" the number's
// digits and "%N" the digits padded with zeros to three. The passes run in that order, each
// over the result of the one before: "report.doc", 7, "%f.%N" gives "report.007".
std::string ExpandNamingTemplate(const std::string& fileName, int32_t number,
                                 const std::string& tmpl);

// True when the template holds "%n" or "%N", so that every piece gets a name of its own.
bool TemplateNumbersPieces(const std::string& tmpl);

// Every occurrence of `find` replaced, searching on after each inserted replacement (which is
// never searched again). An empty `find` leaves the text unchanged.
std::string ReplaceAll(const std::string& text, const std::string& find,
                       const std::string& replacement);

// Splits a command line into arguments: blank-separated, an argument in double quotes may hold
// blanks; an unclosed quote drops itself and the rest. An empty line gives one empty argument.
std::vector<std::string> ParseArguments(const std::string& commandLine);

// A byte count for people: "10239 bytes", "10 kb", "10 Mb", "10 Gb", "10 Tb" (a unit is used
// from ten of it upwards; fractions are dropped).
std::string FormatByteSize(int64_t bytes);

// major + minor / 100 + revision / 10000, computed in double precision and rounded to the
// nearest float: 4.0.12 gives 4.0012, 4.1.0 gives 4.01, 4.10.0 gives 4.1.
float VersionNumber(int major, int minor, int revision);

// VersionNumber of the program's own version (4.0.0 gives 4).
float GetVersionNumber();

// ---- System

// The temporary folder: $TMPDIR when set and not empty, else "/tmp"; without a trailing "/".
std::string GetTempDir();

// Opens the address with the desktop's default handler (xdg-open, started without a shell).
// When that cannot be done the critical box "Unable to open URL" is shown with the address.
void OpenURL(const std::string& url);

}  // namespace kb
