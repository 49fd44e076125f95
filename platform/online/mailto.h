#pragma once

#include <QString>

namespace platform {

// One mail as a mailto: URI (RFC 6068). Every character outside the unreserved
// set is percent-encoded as UTF-8, so "&", "=", "#", "%", "?" and "\" in the text
// stay text; line breaks of any kind become CR LF (%0D%0A).
QString buildMailto(const QString& to, const QString& subject, const QString& body);

struct MailtoParts {
    bool ok = false;
    QString to;
    QString subject;
    QString body;
};

// Reads a mailto: URI back (the fields the builder writes; other headers are
// skipped). A malformed escape makes it not ok.
MailtoParts parseMailto(const QString& uri);

// The text with every CR LF, CR and LF turned into CR LF.
QString withCrLf(const QString& text);

// The longest URI handed to the mail client (one command-line argument is
// limited to 128 KiB).
constexpr int kMaxMailtoLength = 100000;

} // namespace platform
