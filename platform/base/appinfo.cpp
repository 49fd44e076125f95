#include "platform/base/appinfo.h"

namespace platform {

QString appVersionText() { return QStringLiteral("%1.%2.%3").arg(appMajor()).arg(appMinor()).arg(appRevision()); }

} // namespace platform
