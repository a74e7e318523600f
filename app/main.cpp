// Kelvane: the front panel of a programmable DC power supply on a serial line.
#include "app/TForm_Main.h"
#include "panel/TForm_FastKey.h"
#include "records/TForm_DisplayPlot.h"
#include "records/TForm_GoNGTable.h"
#include "settings/TForm_About.h"
#include "settings/TForm_Config.h"

#include <QApplication>
#include <QScreen>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    QApplication::setApplicationVersion(QStringLiteral(KELVANE_VERSION));

    // The windows are made once, in this order, and live until the program ends.
    TForm_Main formMain(QApplication::applicationDirPath());
    TForm_FastKey formFastKey(&formMain);
    TForm_Config formConfig(&formMain);
    TForm_About formAbout(&formMain);
    TForm_GoNGTable formGoNGTable(&formMain);
    TForm_DisplayPlot formDisplayPlot(&formMain);
    formMain.setFastKeyDialog(&formFastKey);
    formMain.setConfigDialog(&formConfig);

    // SIGTERM and SIGINT close the window the normal way, so the settings are saved.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &formMain, [&] {
            char byte;
            [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
            formMain.close();
        });
        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
    }

    // Maximised; the screen's size also stands where no window manager maximises.
    if (const QScreen* screen = formMain.screen())
        formMain.setGeometry(screen->availableGeometry());
    formMain.showMaximized();
    return app.exec();
}
