#pragma once
// The Windows "ANSI code page" that document names are judged by: CP936
// (GBK), the code page of the simplified-Chinese systems the tool serves.

#include <QString>

namespace pelmora {

// True when CP936 encodes this UTF-16 unit in two bytes. A lone surrogate or
// a character CP936 lacks becomes the one-byte "?" there, so it is false.
bool IsDoubleByteInAnsiCodePage(char16_t unit);

// True when any unit of the text is double-byte in CP936.
bool HasDoubleByteInAnsiCodePage(const QString& text);

}  // namespace pelmora
