// The reminder file reader on any bytes: it never crashes, and what it reads
// survives a write and a second read unchanged.
#include "reminders/memofile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const MemoParse first = parseMemoFile(bytes);
    for (const MemoRec& rec : first.records) {
        if (rec.MemTime.size() != 8 || !isStorableMemo(rec) || rec.MemText.contains(QLatin1Char('"'))
            || rec.MemText.contains(QLatin1Char('\r')))
            std::abort();
    }
    const QByteArray written = writeMemoFile(first.records);
    const MemoParse second = parseMemoFile(written);
    if (!second.clean || second.records != first.records || writeMemoFile(second.records) != written)
        std::abort();
    return 0;
}
