#pragma once

#include <QByteArray>
#include <QStringList>

struct zip;

// Reads a zip archive held in memory (with libzip).
class ZipReader {
public:
    explicit ZipReader(const QByteArray& bytes);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    bool isOpen() const { return m_archive != nullptr; }
    // Entry names as stored, folders with their trailing "/".
    QStringList names() const;
    // One entry unpacked; empty when missing or damaged.
    QByteArray read(const QString& name) const;

private:
    QByteArray m_bytes;
    struct zip* m_archive = nullptr;
};
