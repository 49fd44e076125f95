#pragma once

#include <QString>

// The factory station table and the default station number.
namespace DataList {

constexpr int FirstSlot = 0;
constexpr int LastSlot = 12;

// Factory display name and URL of a slot 0..12 (slot 0 is empty). A slot
// outside 0..12 raises platform::RuntimeError 9 (subscript out of range).
QString factoryName(int slot);
QString factoryURL(int slot);

// DefStation := "2".
void InitDefRadio();

} // namespace DataList

// The default station number as text; "2" once InitDefRadio has run.
extern QString DefStation;
