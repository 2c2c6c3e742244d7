#include "app/CommandLine.h"

#include <QFile>
#include <string>
#include <vector>

#include "commandline/CommandLine.h"

CommandLine ParseCommandLine(const QStringList& arguments) {
    // The file system's own bytes, so that any name it accepts comes through.
    std::vector<std::string> native;
    native.reserve(static_cast<size_t>(arguments.size()));
    for (const QString& argument : arguments) {
        native.push_back(QFile::encodeName(argument).toStdString());
    }
    const commandline::CommandLine parsed = commandline::ParseCommandLine(native);
    const auto decode = [](const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); };
    CommandLine line;
    line.run = parsed.run;
    line.exitCode = parsed.exitCode;
    line.output = decode(parsed.output);
    line.scenario = decode(parsed.scenario);
    line.bridgeLibrary = decode(parsed.bridgeLibrary);
    line.registry = decode(parsed.registry);
    return line;
}

void ApplyCommandLine(const CommandLine& line) {
    commandline::CommandLine native;
    native.scenario = QFile::encodeName(line.scenario).toStdString();
    native.bridgeLibrary = QFile::encodeName(line.bridgeLibrary).toStdString();
    native.registry = QFile::encodeName(line.registry).toStdString();
    commandline::ApplyCommandLine(native);
}
