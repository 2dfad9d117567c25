#pragma once
// Text helpers shared by every part of the program: piece names from naming templates,
// replacing, splitting a command line, byte counts and version numbers for people. Texts are
// 8-bit (UTF-8), their lengths byte counts.

#include <cstdint>
#include <string>
#include <vector>

namespace kb {

// The file name of piece `number` under a naming template: "%f" becomes the name's base (the
// file name without folder, before its last "."), "%x" its extension, "%n" the number's
// digits and "%N" the digits padded with zeros to three. The passes run in that order, each
// over the result of the one before: "report.doc", 7, "%f.%N" gives "report.007".
std::string ExpandNamingTemplate(const std::string& fileName, int32_t number,
                                 const std::string& tmpl);

// What keeps a naming template from giving every piece a name of its own inside the
// destination folder: no "%n" or "%N" (every piece the same name), or a "/" (pieces written into
// another folder, "../x %n" outside the destination).
enum class TemplateFault { None, NoNumber, Slash };
TemplateFault NamingTemplateFault(const std::string& tmpl);

// True when the template has none of those faults.
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

}  // namespace kb
