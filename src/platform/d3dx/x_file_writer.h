#pragma once

// CZNXFileWriter: builds the bytes of a binary .X file with 32-bit floats ("xof 0303bin 0032")
// token by token. The writer owns its bytes; it never fails but by running out of memory
// (std::bad_alloc).
#include <string_view>
#include <vector>

#include "platform/os/win_types.h"

class CZNXFileWriter
{
public:
    CZNXFileWriter();

    // An object's opening: its template name, its own name when not empty, and the brace.
    void Open(std::string_view type, std::string_view name = {});
    void Close();
    void Integers(const std::vector<DWORD> &values);
    void Floats(const std::vector<float> &values);
    // A string value with its terminating separator.
    void String(std::string_view text);

    const std::vector<BYTE> &Bytes() const { return m_Bytes; }

private:
    void Token(WORD token);
    void U32(DWORD value);
    void Name(std::string_view name);

    std::vector<BYTE> m_Bytes;
};
