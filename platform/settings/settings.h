#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace platform {

// The per-user settings store of application "VN" (GetSetting, SaveSetting,
// DeleteSetting). Every value is text, addressed by section and key; sections
// and keys are case-sensitive and taken exactly as given.
//
// The store is one file, settingsFilePath(), shared by every program of the
// user: a value written by one process is seen by the next read in any other.
// Writers take an exclusive flock() on settingsFilePath() + ".lock", re-read
// the file, apply their change and replace the file atomically, so concurrent
// writers never lose each other's values and a crash leaves the old or the new
// file (and no lock: the kernel ends it with the process).
// A read costs one stat of the file; the file is parsed again only when it
// has changed. In a damaged file, lines that cannot be read are skipped (a file
// that is not UTF-8 text reads as empty), and the next write replaces it with a
// clean file. The functions may be called from any thread; a write returns
// when the new file is in place.

// The stored value, or defaultValue when the section or key is missing.
QString getSetting(const QString& section, const QString& key, const QString& defaultValue = {});

// Stores the value. Empty section or key names store nothing.
void saveSetting(const QString& section, const QString& key, const QString& value);

// Stores several values of one section as one change: another reader, or the
// next start after a crash, sees all the old values or all the new ones.
void saveSettings(const QString& section, const QList<QPair<QString, QString>>& values);

// Removes one key, or the whole section when key is empty. Removing what does
// not exist does nothing.
void deleteSetting(const QString& section, const QString& key = {});

// The file behind the store: $XDG_CONFIG_HOME/VN/VN.conf (~/.config/VN/VN.conf).
QString settingsFilePath();

} // namespace platform
