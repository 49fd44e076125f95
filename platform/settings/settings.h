#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <functional>

namespace platform {

// The per-user settings store of application "VN" (GetSetting, SaveSetting,
// DeleteSetting). Every value is text, addressed by section and key; sections
// and keys are case-sensitive and taken exactly as given.
//
// The store is one file, settingsFilePath(), shared by every program of the
// user: a value written by one process is seen by the next read in any other.
// A change that leaves the value as it is writes nothing. Writers take an
// exclusive flock() on settingsFilePath() + ".lock", re-read the file, apply
// their changes and replace the file atomically, so concurrent writers never
// lose each other's values and a crash leaves the old or the new file (and no
// lock: the kernel ends it with the process).
// Where an event loop runs, a write waits at most about 100 ms for a busy lock;
// then the change stays queued (every read of this process already sees it)
// and is written from the event loop, in order, as soon as the lock is free.
// A write that fails (read-only file or folder, full disk, a folder in the
// file's place) keeps the changes in memory, retries now and then, and is told
// to the user once per run in a "Vantora" box naming the file and the reason.
// A read costs one stat of the file; the file is parsed again only when it
// has changed. Every line of a damaged file that can be read is kept (see
// settingsfile.h); before such a file is first replaced, it is kept beside
// itself as "VN.conf.damaged-<yyyy-mm-dd>". The functions may be called from
// any thread.

// The stored value, or defaultValue when the section or key is missing.
QString getSetting(const QString& section, const QString& key, const QString& defaultValue = {});

// The value as the store keeps it: a text longer than the store reads back
// (64 Ki characters) is cut to that length.
QString fitSettingValue(const QString& value);

// Stores the value (as fitSettingValue gives it). Empty section or key names
// store nothing.
void saveSetting(const QString& section, const QString& key, const QString& value);

// Stores several values of one section as one change: another reader, or the
// next start after a crash, sees all the old values or all the new ones.
void saveSettings(const QString& section, const QList<QPair<QString, QString>>& values);

// Removes one key, or the whole section when key is empty. Removing what does
// not exist does nothing.
void deleteSetting(const QString& section, const QString& key = {});

// The file behind the store: $XDG_CONFIG_HOME/VN/VN.conf (~/.config/VN/VN.conf).
QString settingsFilePath();

// While one lives, reads look at the file on disk once: a step that reads
// many values (the clock's tick) sees one version of the store and costs one
// look, not one per value. Changes of this process show at once as ever.
class SettingsReadScope {
public:
    SettingsReadScope();
    ~SettingsReadScope();
    SettingsReadScope(const SettingsReadScope&) = delete;
    SettingsReadScope& operator=(const SettingsReadScope&) = delete;
};

// While one lives, the changes made are gathered and written as one change when
// the last one ends.
class SettingsBatch {
public:
    SettingsBatch();
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;
};

// Whether changes of this process wait to be written (lock busy, write failed).
bool settingsWritesPending();

// Writes the waiting changes now, waiting for the lock as long as it takes
// (up to 10 s); run at the program's end.
void flushSettings();

// Why the last write failed ("No space left on device"), or "" once one succeeded.
QString lastSettingsWriteError();

// Replaces what tells the user that the store cannot be written (by default a
// "Vantora" box, once per run); it is called from the event loop with the message.
// An empty function restores the default.
void setSettingsFailureNotice(std::function<void(const QString& message)> notice);

} // namespace platform
