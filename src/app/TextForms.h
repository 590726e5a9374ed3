#pragma once
// Record texts are 8-bit bytes in whatever code page the recorder used; the window
// shows them as UTF-8 when they are valid UTF-8 and byte for byte (Latin-1) otherwise,
// and keeps the bytes themselves wherever they are passed on (grid, report).

#include <QByteArray>
#include <QString>

#include <string>

namespace wavelet {

QString DisplayText(const std::string& bytes);
std::string ToBytes(const QString& text);

}  // namespace wavelet
