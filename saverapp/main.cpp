#include "platform/base/commandline.h"
#include "saverapp/vnmod.h"

int main(int argc, char** argv)
{
    if (const auto answered = platform::answerInformationOptions(
            argc, argv, QStringLiteral("VN"),
            QStringLiteral("The Vantora LED clock screensaver.\n"
                           "  VN /s   shows the full-screen clock (inside the window named by --window-id or\n"
                           "          $XSCREENSAVER_WINDOW when a screensaver daemon starts it)\n"
                           "  VN /c   opens the screensaver settings")))
        return *answered;
    return VNMod::Main(argc, argv);
}
