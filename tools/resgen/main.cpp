// Build-time generator of the programs' resources: sounds, pictures, the
// licence text's line ends and the help page's pictures.
//
//   vantora_resgen sound <alarm1|alarm2|hourbeep> <out.wav>
//   vantora_resgen crlf <in.txt> <out.txt>       every line ended by CR LF
//   vantora_resgen bitmaps <folder>              <id>.png for every BITMAP
//                                                resource, and bitmaps.qrc
//   vantora_resgen help-pictures <folder>        the help page's pictures
//   vantora_resgen sheet <out.png>               all pictures enlarged on
//                                                dark and light, for review
//   vantora_resgen hash <in> <out>               the file's content hash, as
//                                                decimal text

#include "platform/base/contenthash.h"
#include "tools/resgen/pictures.h"
#include "tools/resgen/sounds.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "vantora_resgen: %s\n", qPrintable(message));
    return 1;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

bool writePng(const QString& path, const QImage& image)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}

QByteArray withCrLf(const QByteArray& text)
{
    QByteArray lines = text;
    lines.replace("\r\n", "\n").replace('\r', '\n');
    if (!lines.isEmpty() && !lines.endsWith('\n'))
        lines.append('\n');
    return lines.replace("\n", "\r\n");
}

int sound(const QString& name, const QString& out)
{
    const QByteArray wav = resgen::makeSound(name);
    if (wav.isEmpty())
        return fail(QStringLiteral("unknown sound \"%1\" (known: %2)").arg(name, resgen::soundNames().join(", ")));
    return writeFile(out, wav) ? 0 : fail("cannot write " + out);
}

int crlf(const QString& in, const QString& out)
{
    QFile source(in);
    if (!source.open(QIODevice::ReadOnly))
        return fail("cannot read " + in);
    return writeFile(out, withCrLf(source.readAll())) ? 0 : fail("cannot write " + out);
}

int bitmaps(const QString& folder)
{
    QDir().mkpath(folder);
    QString qrc;
    QTextStream list(&qrc);
    list << "<RCC>\n  <qresource prefix=\"/vantora/BITMAP\">\n";
    for (const resgen::ResourcePicture& picture : resgen::resourcePictures()) {
        const QString name = QString::number(picture.id) + ".png";
        if (!writePng(folder + '/' + name, picture.image))
            return fail("cannot write " + folder + '/' + name);
        list << "    <file alias=\"" << picture.id << "\">" << name << "</file>\n";
    }
    list << "  </qresource>\n</RCC>\n";
    list.flush();
    return writeFile(folder + "/bitmaps.qrc", qrc.toUtf8()) ? 0 : fail("cannot write bitmaps.qrc");
}

int helpPictures(const QString& folder)
{
    QDir().mkpath(folder);
    for (const resgen::HelpPicture& picture : resgen::helpPictures())
        if (!writePng(folder + '/' + picture.fileName, picture.image))
            return fail("cannot write " + folder + '/' + picture.fileName);
    return 0;
}

int icon(const QString& size, const QString& out)
{
    bool ok = false;
    const int pixels = size.toInt(&ok);
    if (!ok || pixels < 16 || pixels > 1024)
        return fail("bad icon size " + size);
    return writePng(out, resgen::programIcon(pixels)) ? 0 : fail("cannot write " + out);
}

int sheet(const QString& out)
{
    const QList<resgen::ResourcePicture> pictures = resgen::resourcePictures();
    const int zoom = 3, cell = 32 * zoom + 12, columns = 8;
    const int rows = int((pictures.size() + columns - 1) / columns);
    const QImage clock = resgen::helpPictures().first().image;
    const QImage digits = resgen::digitStrip();
    QImage image(cell * columns, rows * cell * 2 + clock.height() * 2 + 8, QImage::Format_ARGB32);
    image.fill(QColor(0xF0, 0xF0, 0xF0));
    QPainter p(&image);
    for (int i = 0; i < pictures.size(); ++i) {
        const QImage& pic = pictures[i].image;
        const QImage big = pic.scaled(pic.size() * zoom);
        const int x = (i % columns) * cell, y = (i / columns) * cell * 2;
        p.fillRect(x, y, cell, cell, QColor(0x10, 0x10, 0x10));
        for (int half = 0; half < 2; ++half)
            p.drawImage(QPoint(x + (cell - big.width()) / 2, y + half * cell + (cell - big.height()) / 2), big);
    }
    p.drawImage(QPoint(4, rows * cell * 2 + 4), clock.scaled(clock.size() * 2));
    p.drawImage(QPoint(clock.width() * 2 + 12, rows * cell * 2 + 4), digits.scaled(digits.size() * 2));
    p.end();
    return writePng(out, image) ? 0 : fail("cannot write " + out);
}

int hash(const QString& in, const QString& out)
{
    const std::optional<quint64> value = platform::fileContentHash(in);
    if (!value)
        return fail("cannot read " + in);
    return writeFile(out, QByteArray::number(*value)) ? 0 : fail("cannot write " + out);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    if (command == QLatin1String("sound") && args.size() == 3)
        return sound(args[1], args[2]);
    if (command == QLatin1String("crlf") && args.size() == 3)
        return crlf(args[1], args[2]);
    if (command == QLatin1String("bitmaps") && args.size() == 2)
        return bitmaps(args[1]);
    if (command == QLatin1String("help-pictures") && args.size() == 2)
        return helpPictures(args[1]);
    if (command == QLatin1String("sheet") && args.size() == 2)
        return sheet(args[1]);
    if (command == QLatin1String("hash") && args.size() == 3)
        return hash(args[1], args[2]);
    if (command == QLatin1String("icon") && args.size() == 3)
        return icon(args[1], args[2]);
    return fail(QStringLiteral("usage: sound NAME OUT | crlf IN OUT | bitmaps DIR | help-pictures DIR | sheet OUT | "
                               "hash IN OUT | icon SIZE OUT"));
}
