#pragma once

// Error codes of the file layer: one family of 32-bit codes. Streams record them (with a text,
// see CZNStreamIO::SetError); the chunk-file classes throw them as a signed 32-bit value (LONG).
#include "platform/os/win_types.h"

// Streams.
constexpr DWORD ZNERR_STREAM_FAILURE = 0x896703E8; // a C runtime read, write, position, length or flush call failed
constexpr DWORD ZNERR_INVALID_ARGS = 0x896703EA;   // invalid arguments (null path or block, bad origin or mode)
constexpr DWORD ZNERR_OUT_OF_MEMORY = 0x896707D0;  // a block or record could not be allocated
constexpr DWORD ZNERR_BAD_SOURCE_PTR = 0x896707D1; // the source block of a write is not readable
constexpr DWORD ZNERR_BAD_DEST_PTR = 0x896707D2;   // the destination block of a read is not writable
constexpr DWORD ZNERR_FILE_NOT_FOUND = 0x89670BB8; // the path does not exist (or is a folder) and create is not set
constexpr DWORD ZNERR_NOT_OPEN = 0x89670BB9;       // the stream is not open
constexpr DWORD ZNERR_ALREADY_OPEN = 0x89670BBA;   // Open on a stream that is already open
constexpr DWORD ZNERR_OPEN_FAILED = 0x89670BBB;    // the path fails its access check or cannot be opened
constexpr DWORD ZNERR_SEEK_FAILED = 0x89670BBC;    // a seek failed or went outside what the stream allows

// IWF chunk layer.
constexpr DWORD ZNERR_IWF_INVALID_FILE = 0x89671B58; // no valid IWF header (or a wrong signature chunk)
constexpr DWORD ZNERR_IWF_WRONG_MODE = 0x89671B59;   // an operation of the other open mode
constexpr DWORD ZNERR_IWF_BAD_LENGTHS = 0x89671B5A;  // chunk lengths that do not fit their parent or the stream
constexpr DWORD ZNERR_IWF_BAD_TAG = 0x89671B5B;      // a "HEAD" or "FOOT" tag (or a field) expected and not found
constexpr DWORD ZNERR_IWF_TOO_DEEP = 0x89671B5C;     // chunks nested deeper than a reader accepts
constexpr DWORD ZNERR_IWF_NO_CHUNK = 0x89671B5D;     // a chunk expected to be open is not (or is out of place)
constexpr DWORD ZNERR_IWF_RESERVED_ID = 0x89671B5E;  // BeginChunk with a reserved id (0 or 1)

// DirectX .X scenes.
constexpr DWORD ZNERR_XFILE_FAILED = 0x89672328; // a .X file that cannot be read or written, or a mesh without faces

// The code as the chunk-file classes throw it.
constexpr LONG ZnErrorAsThrown(DWORD code)
{
    return static_cast<LONG>(code);
}
