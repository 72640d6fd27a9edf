// The text form in which a user command's bytes are written to the
// configuration file and kept in the configuration dialog's rows: two
// upper-case hex digits per byte joined by "," ("1B,40,0A"), empty text for
// no bytes. Reading accepts every text the hex conversion accepts, so a
// hand-edited "1b 40", "027;064" or "1B40" reads as well.
#pragma once

#include "convert/bytestring.h"
#include "convert/convert.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <span>
#include <string_view>

// Bytes -> written form.
QString UserCmdValueFromBytes(std::span<const uint8_t> bytes);

// Value text -> bytes. The byte count; 0 (with `out` possibly left as it
// was) when the text holds no byte; an input error -(p + 1) at byte p of the
// text, `out` then untouched. A QString is read as its UTF-8 bytes: any
// character beyond ASCII is an input error anyway.
ConvResult UserCmdBytesFromValue(std::string_view value, ByteString &out);
ConvResult UserCmdBytesFromValue(QStringView value, ByteString &out);
