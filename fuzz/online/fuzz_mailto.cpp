#include "platform/online/mailto.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Round trip: whatever the subject and body, the URI reads back to them (the
// body with CR LF line ends), holds no raw "&", "#", "\" or line end inside the
// texts, and a parse of arbitrary text never crashes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype cut = text.indexOf(QChar(0));
    const QString subject = cut < 0 ? QString() : text.left(cut);
    const QString body = cut < 0 ? text : text.mid(cut + 1);
    const QString uri = platform::buildMailto(QStringLiteral("feedback@example.org"), subject, body);
    if (uri.contains(QLatin1Char('\\')) || uri.contains(QLatin1Char('#')) || uri.contains(QLatin1Char('\n'))
        || uri.count(QLatin1Char('&')) != 1)
        std::abort();
    const platform::MailtoParts parts = platform::parseMailto(uri);
    if (!parts.ok || parts.to != QStringLiteral("feedback@example.org") || parts.subject != subject
        || parts.body != platform::withCrLf(body))
        std::abort();
    (void)platform::parseMailto(text);
    return 0;
}
