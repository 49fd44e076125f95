// The registry file reader: any bytes read without a crash, and the file it
// writes for what it read reads back to the same file.
#include "compat/win32/registryfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
    const platform::RegistryHive hive = platform::parseRegistryFile(bytes, root);
    const QByteArray written = platform::formatRegistryFile(hive, root);
    const platform::RegistryHive again = platform::parseRegistryFile(written, root);
    if (platform::formatRegistryFile(again, root) != written)
        std::abort();
    return 0;
}
