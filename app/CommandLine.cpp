#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <utility>
#include <vector>

namespace {

struct FileOption {
    const char* name;
    const char* valueName;
    const char* description;
    QString CommandLine::*target;
};

const FileOption kFileOptions[] = {
    {"scenario", "FILE", "Runs the simulated bench with this scenario file (else TOLVIK_BENCH_SCENARIO).",
     &CommandLine::scenario},
    {"bridge-library", "PATH",
     "Loads this bridge library instead of the bench beside the program (else TOLVIK_BRIDGE_LIBRARY).",
     &CommandLine::bridgeLibrary},
    {"registry", "FILE",
     "Reads the host application's registry keys from this regedit export (else TOLVIK_REGISTRY).",
     &CommandLine::registry},
};

CommandLine Failure(const QString& message) {
    CommandLine line;
    line.run = false;
    line.exitCode = kCommandLineErrorExit;
    line.output = QStringLiteral("tolvik: ") + message + QLatin1Char('\n');
    return line;
}

// Empty when `path` names a file the program can read.
QString FileProblem(const QString& path) {
    const QFileInfo file(path);
    if (!file.exists()) {
        return QStringLiteral("no such file");
    }
    if (!file.isFile()) {
        return QStringLiteral("not a regular file");
    }
    if (!file.isReadable()) {
        return QStringLiteral("cannot be read");
    }
    return {};
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Service tool for the instrument's hand-held remote keypads."));
    // Its own help option: Qt's adds --help-all, for options this program does not take.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    parser.addOption(help);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption adapter(
        QStringLiteral("adapter"),
        QStringLiteral("Uses this CAN adapter (socketcan:can0, slcan:/dev/ttyACM0[,bitrate=N]; repeatable) "
                       "through the CAN adapter library (else TOLVIK_CAN_ADAPTER)."),
        QStringLiteral("SPEC"));
    parser.addOption(adapter);
    std::vector<QCommandLineOption> files;
    for (const FileOption& option : kFileOptions) {
        files.emplace_back(QString::fromLatin1(option.name), QString::fromLatin1(option.description),
                           QString::fromLatin1(option.valueName));
        parser.addOption(files.back());
    }
    if (!parser.parse(arguments)) {
        return Failure(parser.errorText());
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Failure(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    }

    CommandLine line;
    if (parser.isSet(help) || parser.isSet(version)) {
        line.run = false;
        line.output = parser.isSet(help) ? parser.helpText()
                                         : QCoreApplication::applicationName() + QLatin1Char(' ') +
                                               QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return line;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!parser.isSet(files[i])) {
            continue;
        }
        const QString path = parser.value(files[i]);
        if (const QString problem = FileProblem(path); !problem.isEmpty()) {
            return Failure(
                QStringLiteral("--%1 %2: %3").arg(QString::fromLatin1(kFileOptions[i].name), path, problem));
        }
        // Absolute, so that a library named without a folder is not searched for on the system's path.
        line.*kFileOptions[i].target = QFileInfo(path).absoluteFilePath();
    }
    line.adapters = parser.values(adapter);
    return line;
}

// Beside the program in the build tree; in the program's private folder once installed.
static QString CanAdapterLibrary() {
    const QString folder = QCoreApplication::applicationDirPath();
    const QString beside = folder + QStringLiteral("/libtolvikcan.so");
    return QFileInfo::exists(beside) ? beside
                                     : folder + QStringLiteral("/" TOLVIK_INSTALLED_PRIVATE_DIR "/libtolvikcan.so");
}

void ApplyCommandLine(const CommandLine& line) {
    if (!line.adapters.isEmpty()) {
        qputenv("TOLVIK_CAN_ADAPTER", line.adapters.join(QLatin1Char(';')).toLocal8Bit());
        if (line.bridgeLibrary.isEmpty()) {
            qputenv("TOLVIK_BRIDGE_LIBRARY", CanAdapterLibrary().toLocal8Bit());
        }
    }
    const std::pair<const char*, const QString*> variables[] = {
        {"TOLVIK_BENCH_SCENARIO", &line.scenario},
        {"TOLVIK_BRIDGE_LIBRARY", &line.bridgeLibrary},
        {"TOLVIK_REGISTRY", &line.registry},
    };
    for (const auto& [name, value] : variables) {
        if (!value->isEmpty()) {
            qputenv(name, value->toLocal8Bit());
        }
    }
}
