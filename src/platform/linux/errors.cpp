// Error codes, and the texts FormatMessageA gives for them. The texts are this layer's own
// words for what went wrong on this system; Windows gives its own.
#include "platform/linux/errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace {

struct Message {
  DWORD code;
  const char* text;
};

constexpr Message kMessages[] = {
    {ERROR_FILE_NOT_FOUND, "The file does not exist."},
    {ERROR_PATH_NOT_FOUND, "A folder on the path does not exist."},
    {ERROR_TOO_MANY_OPEN_FILES, "Too many files are open."},
    {ERROR_ACCESS_DENIED, "Permission denied."},
    {ERROR_INVALID_HANDLE, "The handle is not valid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory."},
    {ERROR_OUTOFMEMORY, "Not enough memory."},
    {ERROR_WRITE_FAULT, "The output cannot be written."},
    {ERROR_READ_FAULT, "The file cannot be read."},
    {ERROR_GEN_FAILURE, "The system failed in a way this program has no name for."},
    {ERROR_NOT_SUPPORTED, "Not supported on this system."},
    {ERROR_INVALID_PARAMETER, "The request is not valid."},
    {ERROR_BROKEN_PIPE, "The pipe has been closed by its reader."},
    {ERROR_DISK_FULL, "The disk is full."},
    {ERROR_INSUFFICIENT_BUFFER, "The buffer is too small."},
    {ERROR_INVALID_NAME, "The name is not valid."},
    {ERROR_NEGATIVE_SEEK, "The place asked for lies before the start of the file."},
    {ERROR_FILENAME_EXCED_RANGE, "The path is too long."},
    {ERROR_FILE_TOO_LARGE, "The file has reached the size this process may write."},
    {ERROR_FILE_INVALID, "The file at this path is not the file the process has mapped."},
    {ERROR_CANT_RESOLVE_FILENAME,
     "The path leads through a symbolic link, which is not followed here, or through too many."},
    {ERROR_NOT_ALL_ASSIGNED,
     "The privilege is not held: the CAP_SYS_PTRACE capability is not permitted."},
    {static_cast<DWORD>(E_FAIL), "Unspecified failure."},
    {static_cast<DWORD>(E_NOINTERFACE), "The interface is not supported."},
    {static_cast<DWORD>(E_POINTER), "No object was delivered."},
    {static_cast<DWORD>(E_UNEXPECTED), "Unexpected failure."},
    {static_cast<DWORD>(E_NOTIMPL), "Not implemented."},
    {static_cast<DWORD>(REGDB_E_CLASSNOTREG), "The class is not registered on this system."},
    {static_cast<DWORD>(CLASS_E_CLASSNOTAVAILABLE), "The class is not available."},
    {static_cast<DWORD>(CO_E_NOTINITIALIZED), "COM is not initialised."},
    {static_cast<DWORD>(DISP_E_TYPEMISMATCH), "The value is of a type that cannot be converted."},
    {static_cast<DWORD>(DISP_E_BADVARTYPE), "The value's type is not valid."},
    {static_cast<DWORD>(DISP_E_OVERFLOW), "The value is out of range."},
};

const char* TextOf(DWORD code) {
  // An HRESULT made from a Win32 code says what that code says.
  if ((code & 0xFFFF0000u) == 0x80070000u) code &= 0xFFFFu;
  for (const Message& message : kMessages)
    if (message.code == code) return message.text;
  return nullptr;
}

}  // namespace

DWORD Win32ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EFBIG:
      return ERROR_FILE_TOO_LARGE;
    case EPIPE:
      return ERROR_BROKEN_PIPE;
    case EIO:
      return ERROR_READ_FAULT;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ELOOP:
      return ERROR_CANT_RESOLVE_FILENAME;
    case ENOSYS:
      return ERROR_NOT_SUPPORTED;
    // Not ERROR_INVALID_PARAMETER: to a module list that is what a process that has ended
    // gives, and a failure must never pass for that.
    default:
      return ERROR_GEN_FAILURE;
  }
}

// The report asks for the system's messages alone, with no inserts, into 512 bytes.
static_assert(std::ranges::all_of(kMessages, [](const Message& message) {
  return std::char_traits<char>::length(message.text) + sizeof "\r\n" <= 512;
}));

// The system's messages alone, into the caller's buffer of size bytes: a message has no inserts
// to fill, and this system keeps no other. What Windows documents for a buffer too small and
// a message it does not have, this layer does too; any other request it refuses.
DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size,
                            va_list*) {
  if ((flags & ~FORMAT_MESSAGE_IGNORE_INSERTS) != FORMAT_MESSAGE_FROM_SYSTEM || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const char* text = TextOf(messageId);
  if (text == nullptr) {
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  // With CR LF, as Windows ends its texts, and the terminator, which the result leaves out.
  const std::string message = std::string(text) + "\r\n";
  if (message.size() >= size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, message.c_str(), message.size() + 1);
  return static_cast<DWORD>(message.size());
}
