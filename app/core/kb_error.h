#pragma once
// The one error type of the program: every failure the engine reports carries a number, the
// name of the procedure or object it came from, and a message for people.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kb {

// Runtime error numbers that callers test for. They keep the classic runtime's values, since
// stored answers, plug-ins and messages quote them.
namespace err {
constexpr int32_t InvalidArgument = 5;        // "Invalid procedure call or argument"
constexpr int32_t Overflow = 6;               // "Overflow"
constexpr int32_t OutOfMemory = 7;            // "Out of memory"
constexpr int32_t SubscriptOutOfRange = 9;    // "Subscript out of range"
constexpr int32_t TypeMismatch = 13;          // "Type mismatch"
constexpr int32_t InternalError = 51;         // "Internal error"
constexpr int32_t BadFileNameOrNumber = 52;   // "Bad file name or number"
constexpr int32_t FileNotFound = 53;          // "File not found"
constexpr int32_t BadFileMode = 54;           // "Bad file mode"
constexpr int32_t FileAlreadyOpen = 55;       // "File already open"
constexpr int32_t DeviceIO = 57;              // "Device I/O error"
constexpr int32_t FileAlreadyExists = 58;     // "File already exists"
constexpr int32_t DiskFull = 61;              // "Disk full"
constexpr int32_t InputPastEnd = 62;          // "Input past end of file"
constexpr int32_t PermissionDenied = 70;      // "Permission denied"
constexpr int32_t DiskNotReady = 71;          // "Disk not ready"
constexpr int32_t PathFileAccess = 75;        // "Path/File access error"
constexpr int32_t PathNotFound = 76;          // "Path not found"
constexpr int32_t InvalidPatternString = 93;  // "Invalid pattern string"
constexpr int32_t InvalidFileFormat = 321;    // "Invalid file format"
constexpr int32_t KeyAlreadyAssociated = 457; // "This key is already associated with an element of this collection"
// Raised by the assembler when no naming template fits a series (hexadecimal 80040200).
constexpr int32_t UnableToDetermineTemplate = static_cast<int32_t>(0x80040200u);
// A user-defined failure of an engine object (the splitter's missing source).
constexpr int32_t ObjectFailure = -1;
}  // namespace err

// The runtime's own description of one of the numbers above ("" for numbers it has none for).
std::string RuntimeErrorText(int32_t number);

class KbError : public std::runtime_error {
public:
    KbError(int32_t number, std::string source, std::string description);
    // An error with the runtime's own description of the number.
    KbError(int32_t number, std::string source);

    int32_t Number() const { return number_; }
    const std::string& Source() const { return source_; }
    const std::string& Description() const { return description_; }

private:
    int32_t number_;
    std::string source_;
    std::string description_;
};

// Thrown by the prompter's "end the program" in tests and tools, so that nothing after the
// call runs. Never caught by the engine's own error handlers.
class ProgramEnded : public std::exception {
public:
    const char* what() const noexcept override { return "program ended"; }
};

}  // namespace kb
