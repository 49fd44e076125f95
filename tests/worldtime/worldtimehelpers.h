#pragma once

#include "mainwindow/form1.h"
#include "compat/win32/registry.h"
#include "worldtime/frmtz.h"
#include "worldtime/tzdatabase.h"
#include "worldtime/zoneregistry.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>

namespace worldtimetest {

// The real zone database behind the registry, with the registry files read afresh.
inline void useRealZones()
{
    worldtime::installZoneDatabase();
    platform::registryReloadForTests();
}

inline QString displayOf(const char* windowsId) { return worldtime::tzDatabase().find(windowsId)->display; }

inline QLabel* label(QWidget* w, const QString& name) { return w->findChild<QLabel*>(name); }
inline QString rowTime(Form1* w, int row) { return label(w, QStringLiteral("Label5_%1").arg(row))->text(); }
inline QString rowName(Form1* w, int row) { return label(w, QStringLiteral("Label4_%1").arg(row))->text(); }
inline bool rowShown(Form1* w, int row)
{
    return w->findChild<QWidget*>(QStringLiteral("Shape6_%1").arg(row))->isVisibleTo(w);
}
inline int rowsShown(Form1* w)
{
    int n = 0;
    for (int r = 0; r < 5; ++r)
        n += rowShown(w, r) ? 1 : 0;
    return n;
}

inline QListWidget* list(FrmTZ* tz, const char* name) { return tz->findChild<QListWidget*>(name); }

// Selects a zone in the chooser's target list by its Windows id, as a click does.
inline void selectTarget(FrmTZ* tz, const char* windowsId)
{
    const int index = tz->zoneTable().indexOfKey(windowsId);
    QVERIFY2(index >= 0, windowsId);
    list(tz, "List2")->setCurrentRow(index);
}

// Types a name and presses Add.
inline void addZone(FrmTZ* tz, const char* windowsId, const QString& name)
{
    selectTarget(tz, windowsId);
    tz->findChild<QLineEdit*>("Text1")->setText(name);
    tz->findChild<QPushButton*>("Command3")->click();
}

// What tells whether a file was replaced: inode and modification time.
inline QString fileStamp(const QString& path)
{
    struct stat st {};
    if (::stat(path.toLocal8Bit().constData(), &st) != 0)
        return QStringLiteral("missing");
    return QStringLiteral("%1/%2.%3").arg(st.st_ino).arg(st.st_mtim.tv_sec).arg(st.st_mtim.tv_nsec);
}

} // namespace worldtimetest
