#include <QApplication>
#include <cstdio>

#include "app/ArgumentText.h"
#include "app/CTolvikApp.h"
#include "app/CommandLine.h"

using qtui::ApplyCommandLine;
using qtui::CommandLine;
using qtui::CTolvikApp;
using qtui::EncodeArgument;
using qtui::ParseCommandLine;

int main(int argc, char** argv) {
    // Message boxes take their caption from the application's name.
    QCoreApplication::setApplicationName(QStringLiteral("Tolvik"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOLVIK_VERSION));
    CommandLine line;
    {
        // Help, version and bad options are answered before, and without, any display.
        QCoreApplication console(argc, argv);
        line = ParseCommandLine(QList<QByteArray>(argv, argv + argc));
    }
    if (!line.run) {
        std::fputs(EncodeArgument(line.output).constData(), line.exitCode ? stderr : stdout);
        return line.exitCode;
    }
    ApplyCommandLine(line);

    QApplication application(argc, argv);
    CTolvikApp theApp;
    theApp.InitInstance();
    return 0;
}
