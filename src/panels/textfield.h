// Copying texts into the fixed character fields of the settings records.
#pragma once

#include <QString>

#include <cstddef>

// Writes `text` as UTF-8 into the first `maxBytes` bytes of `field`, never
// half a character, and sets the bytes the text does not take to zero. Pass
// one less than the field size to keep a terminator.
void CopyToTextField(const QString &text, char *field, std::size_t maxBytes);

// The text of a field of `size` bytes that may lack its terminator.
QString TextOfField(const char *field, std::size_t size);
