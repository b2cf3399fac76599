#include "platform/RuntimeFailure.h"

namespace failure {

std::string textOf(int number) {
    switch (number) {
        case InvalidProcedureCall: return "Invalid procedure call or argument";
        case SubscriptOutOfRange: return "Subscript out of range";
        case TypeMismatch: return "Type mismatch";
        case BadFileNameOrNumber: return "Bad file name or number";
        case FileNotFound: return "File not found";
        case FileAlreadyExists: return "File already exists";
        case InputPastEndOfFile: return "Input past end of file";
        case PermissionDenied: return "Permission denied";
        case PathFileAccessError: return "Path/File access error";
        case PathNotFound: return "Path not found";
        default: return "Application-defined or object-defined error";
    }
}

void raise(int number) { throw RuntimeFailure(number, textOf(number)); }

}  // namespace failure
