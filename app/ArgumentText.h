// Command-line arguments as Qt text without losing a byte: a file name on Linux is any bytes,
// not necessarily UTF-8, and must reach the file system as it was given.
#pragma once

#include <QByteArray>
#include <QString>

namespace qtui {

// UTF-8 decoded; each byte that is not part of a valid UTF-8 sequence becomes the lone surrogate
// U+DC00 + byte, which valid text never holds.
QString DecodeArgument(const QByteArray& bytes);

// The bytes DecodeArgument was given back.
QByteArray EncodeArgument(const QString& text);

}  // namespace qtui
