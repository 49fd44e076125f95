#pragma once

#include "platform/desktop/osfacts.h"

#include <QString>

// What the computer runs: a name with its product (edition), the version
// number, the build (kernel release), additional text (kernel version), the
// point release and the desktop session.
class clsOS {
public:
    // Reads this computer's facts (Class_Initialize).
    clsOS();
    explicit clsOS(const platform::OsFacts& facts);

    QString name;
    QString version;
    QString build;
    QString additional;
    QString servicePack;
    QString suites;
    QString product;

private:
    void GetOSInfo(const platform::OsFacts& facts);
};
