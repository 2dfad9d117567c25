#include "app/core/kb_error.h"

#include <utility>

namespace kb {

std::string RuntimeErrorText(int32_t number) {
    switch (number) {
    case err::InvalidArgument: return "Invalid procedure call or argument";
    case err::Overflow: return "Overflow";
    case err::OutOfMemory: return "Out of memory";
    case err::SubscriptOutOfRange: return "Subscript out of range";
    case err::TypeMismatch: return "Type mismatch";
    case err::InternalError: return "Internal error";
    case err::BadFileNameOrNumber: return "Bad file name or number";
    case err::FileNotFound: return "File not found";
    case err::BadFileMode: return "Bad file mode";
    case err::FileAlreadyOpen: return "File already open";
    case err::DeviceIO: return "Device I/O error";
    case err::FileAlreadyExists: return "File already exists";
    case err::DiskFull: return "Disk full";
    case err::InputPastEnd: return "Input past end of file";
    case err::PermissionDenied: return "Permission denied";
    case err::DiskNotReady: return "Disk not ready";
    case err::PathFileAccess: return "Path/File access error";
    case err::PathNotFound: return "Path not found";
    case err::InvalidPatternString: return "Invalid pattern string";
    case err::InvalidFileFormat: return "Invalid file format";
    case err::KeyAlreadyAssociated: return "This key is already associated with an element of this collection";
    default: return "";
    }
}

KbError::KbError(int32_t number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

KbError::KbError(int32_t number, std::string source)
    : KbError(number, std::move(source), RuntimeErrorText(number)) {}

}  // namespace kb
