#include "app/CommandLine.h"

#include <string>
#include <vector>

#include "app/ArgumentText.h"

namespace qtui {

namespace {

std::string Bytes(const QByteArray& bytes) {
    return bytes.toStdString();
}

QByteArray Bytes(const std::string& bytes) {
    return QByteArray::fromStdString(bytes);
}

}  // namespace

CommandLine ParseCommandLine(const QList<QByteArray>& arguments) {
    std::vector<std::string> native;
    native.reserve(static_cast<size_t>(arguments.size()));
    for (const QByteArray& argument : arguments) {
        native.push_back(Bytes(argument));
    }
    const commandline::CommandLine parsed = commandline::ParseCommandLine(native);
    CommandLine line;
    line.run = parsed.run;
    line.exitCode = parsed.exitCode;
    // Messages name files by their bytes, which need not be UTF-8.
    line.output = DecodeArgument(Bytes(parsed.output));
    line.scenario = Bytes(parsed.scenario);
    line.bridgeLibrary = Bytes(parsed.bridgeLibrary);
    line.registry = Bytes(parsed.registry);
    for (const std::string& adapter : parsed.adapters) {
        line.adapters.append(Bytes(adapter));
    }
    return line;
}

void ApplyCommandLine(const CommandLine& line) {
    commandline::CommandLine native;
    native.scenario = Bytes(line.scenario);
    native.bridgeLibrary = Bytes(line.bridgeLibrary);
    native.registry = Bytes(line.registry);
    for (const QByteArray& adapter : line.adapters) {
        native.adapters.push_back(Bytes(adapter));
    }
    commandline::ApplyCommandLine(native);
}

}  // namespace qtui
