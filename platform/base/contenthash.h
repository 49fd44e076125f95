#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace platform {

// A 64-bit fingerprint of some bytes, quick enough to run over megabytes at
// every start: it tells a file that changed from the one written, it is no
// defence against a forger. The same in every process of one kind of
// processor (its byte order).
quint64 contentHash(QByteArrayView bytes);

// The fingerprint of a file's bytes, read through a mapping (nothing is
// copied); nullopt when the file cannot be read.
std::optional<quint64> fileContentHash(const QString& path);

} // namespace platform
