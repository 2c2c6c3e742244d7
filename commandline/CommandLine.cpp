#include "commandline/CommandLine.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

#include "commandline/FileArgument.h"

namespace commandline {
namespace {

struct FileOption {
    const char* name;
    const char* valueName;
    const char* description;
    std::string CommandLine::*target;
    const char* variable;
};

const FileOption kFileOptions[] = {
    {"scenario", "FILE", "Runs the simulated bench with this scenario file (else TOLVIK_BENCH_SCENARIO).",
     &CommandLine::scenario, "TOLVIK_BENCH_SCENARIO"},
    {"bridge-library", "PATH",
     "Loads this bridge library instead of the bench beside the program (else TOLVIK_BRIDGE_LIBRARY).",
     &CommandLine::bridgeLibrary, "TOLVIK_BRIDGE_LIBRARY"},
#ifndef _WIN32
    // Windows has a registry of its own.
    {"registry", "FILE",
     "Reads the host application's registry keys from this regedit export (else TOLVIK_REGISTRY).",
     &CommandLine::registry, "TOLVIK_REGISTRY"},
#endif
};

struct Flag {
    const char* shortName;
    const char* name;
    const char* description;
};
constexpr Flag kHelp{"h", "help", "Displays this help."};
constexpr Flag kVersion{"v", "version", "Displays version information."};

// Repeatable, unlike the files: each names one more adapter.
constexpr const char* kAdapter = "adapter";
constexpr const char* kAdapterDescription =
    "Uses this CAN adapter (socketcan:can0, slcan:/dev/ttyACM0[,bitrate=N]; repeatable) through the CAN "
    "adapter library (else TOLVIK_CAN_ADAPTER).";

constexpr size_t kHelpWidth = 79;

CommandLine Failure(const std::string& message) {
    CommandLine line;
    line.run = false;
    line.exitCode = kCommandLineErrorExit;
    line.output = "tolvik: " + message + '\n';
    return line;
}

// One option's entry: its names in a column as wide as the widest, then the description wrapped
// at word boundaries within the line width.
void AppendHelpEntry(std::string* help, const std::string& names, size_t column,
                     const std::string& description) {
    std::string line = "  " + names;
    line.resize(column, ' ');
    size_t start = 0;
    bool first = true;
    while (start < description.size()) {
        size_t end = description.find(' ', start);
        end = end == std::string::npos ? description.size() : end;
        const std::string word = description.substr(start, end - start);
        if (!first && line.size() + 1 + word.size() > kHelpWidth) {
            *help += line + '\n';
            line.assign(column, ' ');
            first = true;
        }
        line += (first ? "" : " ") + word;
        first = false;
        start = end + 1;
    }
    *help += line + '\n';
}

std::string HelpText(const std::string& program) {
    struct Entry {
        std::string names;
        std::string description;
    };
    std::vector<Entry> entries;
    for (const Flag& flag : {kHelp, kVersion}) {
        entries.push_back({std::string("-") + flag.shortName + ", --" + flag.name, flag.description});
    }
    entries.push_back({std::string("--") + kAdapter + " <ADAPTER>", kAdapterDescription});
    for (const FileOption& option : kFileOptions) {
        entries.push_back(
            {std::string("--") + option.name + " <" + option.valueName + ">", option.description});
    }
    size_t widest = 0;
    for (const Entry& entry : entries) {
        widest = std::max(widest, entry.names.size());
    }
    std::string help = "Usage: " + program +
                       " [options]\n"
                       "Service tool for the instrument's hand-held remote keypads.\n"
                       "\n"
                       "Options:\n";
    for (const Entry& entry : entries) {
        AppendHelpEntry(&help, entry.names, 2 + widest + 2, entry.description);
    }
    return help;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    bool help = false;
    bool version = false;
    std::optional<std::string> values[std::size(kFileOptions)];
    std::vector<std::string> adapters;
    std::vector<std::string> positional;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            positional.insert(positional.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                              arguments.end());
            break;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
            continue;
        }
        // "--name", "--name=value", and a single dash taken as two.
        const std::string body = argument.substr(argument[1] == '-' ? 2 : 1);
        const size_t equals = body.find('=');
        const std::string name = body.substr(0, equals);
        const std::string typed = argument.substr(0, argument.size() - body.size()) + name;
        if (name == kHelp.name || name == kHelp.shortName || name == kVersion.name ||
            name == kVersion.shortName) {
            if (equals != std::string::npos) {
                return Failure("Unexpected value after '" + typed + "'.");
            }
            (name == kHelp.name || name == kHelp.shortName ? help : version) = true;
            continue;
        }
        size_t option = 0;
        while (option < std::size(kFileOptions) && name != kFileOptions[option].name) {
            ++option;
        }
        if (option == std::size(kFileOptions) && name != kAdapter) {
            return Failure("Unknown option '" + name + "'.");
        }
        std::string value;
        if (equals != std::string::npos) {
            value = body.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return Failure("Missing value after '" + typed + "'.");
        }
        if (option == std::size(kFileOptions)) {
            adapters.push_back(std::move(value));
        } else {
            values[option] = std::move(value);
        }
    }
    if (!positional.empty()) {
        return Failure("unexpected argument '" + positional.front() + "'");
    }

    CommandLine line;
    if (help || version) {
        line.run = false;
        line.output =
            help ? HelpText(arguments.empty() ? "tolvik" : arguments.front()) : "Tolvik " TOLVIK_VERSION "\n";
        return line;
    }
    for (size_t i = 0; i < std::size(kFileOptions); ++i) {
        if (!values[i]) {
            continue;
        }
        const std::string& path = *values[i];
        if (const char* problem = FileProblem(path)) {
            return Failure(std::string("--") + kFileOptions[i].name + ' ' + path + ": " + problem);
        }
        // Absolute, so that a library named without a folder is not searched for on the system's path.
        line.*kFileOptions[i].target = AbsolutePath(path);
    }
    line.adapters = std::move(adapters);
    return line;
}

void ApplyCommandLine(const CommandLine& line) {
    if (!line.adapters.empty()) {
        std::string joined;
        for (const std::string& adapter : line.adapters) {
            joined += (joined.empty() ? "" : ";") + adapter;
        }
        SetEnvironment("TOLVIK_CAN_ADAPTER", joined);
        // A bridge library given (below) replaces this one.
        SetEnvironment("TOLVIK_BRIDGE_LIBRARY", CanAdapterLibrary());
    }
    for (const FileOption& option : kFileOptions) {
        if (const std::string& value = line.*option.target; !value.empty()) {
            SetEnvironment(option.variable, value);
        }
    }
}

}  // namespace commandline
