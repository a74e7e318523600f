// kelvane-mkconfig <Config.dat> <port name>: writes a settings file with the default
// settings and the given port, so that a first start can talk to a supply at once
// (the run script uses it to start on the built-in simulated supply "SIM").
#include "app/TMainState.h"
#include "settings/SettingsFile.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: kelvane-mkconfig <Config.dat> <port name>\n");
        return 2;
    }
    SettingsImage image;
    for (int k = 0; k < 10; ++k)
        image.FastKeyCaptions[k] = QStringLiteral("0V/0A");
    TMainState state;
    state.setPortName(args[2]);
    copySettingsHeader(state, image);

    QSaveFile file(args[1]);
    if (!file.open(QIODevice::WriteOnly) || file.write(writeSettings(image, false)) < 0 || !file.commit()) {
        std::fprintf(stderr, "kelvane-mkconfig: cannot write %s: %s\n", qPrintable(args[1]), qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
