#pragma once

#include <QString>
#include <QtGlobal>

namespace MainWin {

// Unpacks the archive at `zipPath` into `targetFolder` with a fresh unzip object
// at its default options; answers the library's result code unchanged.
qint32 UnZipFile(const QString& zipPath, const QString& targetFolder);

} // namespace MainWin
