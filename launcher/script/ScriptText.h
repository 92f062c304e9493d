#pragma once
// Text between the script and the launcher. The script's texts are bytes in its code page (65001 =
// UTF-8 after a chunk with a byte-order mark, else 0 = the ANSI code page); the launcher works with
// wide text in fixed buffers (256 characters for paths, 1024 bytes for results). A text longer than
// its buffer is cut at a character boundary, never written past the buffer.
#include <cstddef>
#include <string>
#include <string_view>

class CObjectConnector;

namespace script_text
{

constexpr size_t kWideBufferChars = 256;
constexpr size_t kResultBufferBytes = 1024;

// The code page of the connector's script host; 65001 when there is none yet.
unsigned CodePageOf(CObjectConnector* connector);

// The bytes in the code page as wide text of at most bufferChars - 1 characters (a null text gives
// the empty text).
std::wstring ToWide(const char* text, unsigned codePage, size_t bufferChars = kWideBufferChars);

// Length of the longest start of the bytes, at most maxBytes long, that ends between two characters
// of the code page.
size_t CharacterBoundary(std::string_view bytes, size_t maxBytes, unsigned codePage);

// Encodes the text into buffer (bufferBytes including the terminating zero), cut at a character
// boundary. Returns buffer.
char* ToBuffer(std::wstring_view text, unsigned codePage, char* buffer, size_t bufferBytes);
// Copies script bytes into buffer the same way (no conversion).
char* CopyToBuffer(const char* text, unsigned codePage, char* buffer, size_t bufferBytes);

} // namespace script_text
