#include "tests/resources/zipreader.h"

#include <zip.h>

ZipReader::ZipReader(const QByteArray& bytes) : m_bytes(bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(m_bytes.constData(), zip_uint64_t(m_bytes.size()), 0, &error);
    if (source)
        m_archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (source && !m_archive)
        zip_source_free(source);
    zip_error_fini(&error);
}

ZipReader::~ZipReader()
{
    if (m_archive)
        zip_discard(m_archive);
}

QStringList ZipReader::names() const
{
    QStringList list;
    const zip_int64_t count = m_archive ? zip_get_num_entries(m_archive, 0) : 0;
    for (zip_int64_t i = 0; i < count; ++i)
        list.append(QString::fromUtf8(zip_get_name(m_archive, zip_uint64_t(i), 0)));
    return list;
}

QByteArray ZipReader::read(const QString& name) const
{
    zip_stat_t st;
    if (!m_archive || zip_stat(m_archive, name.toUtf8().constData(), 0, &st) != 0)
        return {};
    zip_file_t* file = zip_fopen(m_archive, name.toUtf8().constData(), 0);
    if (!file)
        return {};
    QByteArray out(qsizetype(st.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(file, out.data(), st.size);
    zip_fclose(file);
    return got == zip_int64_t(st.size) ? out : QByteArray();
}
