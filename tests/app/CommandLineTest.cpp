// The command line, through the real executable (exit codes and output) and in process (which
// file wins over the environment).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <utility>
#include <vector>

#include "app/ArgumentText.h"
#include "app/CommandLine.h"

using qtui::ApplyCommandLine;
using qtui::CommandLine;
using qtui::DecodeArgument;
using qtui::EncodeArgument;
using qtui::kCommandLineErrorExit;
using qtui::ParseCommandLine;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Without a display and with the X platform forced: a program that tried to open a window would
// fail some other way than with its own exit code.
ToolRun RunTolvik(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TOLVIK_EXECUTABLE), arguments);
    EXPECT_TRUE(process.waitForFinished(20000)) << arguments.join(' ').toStdString();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// The program run with arguments as raw bytes (QProcess would encode them as text), without a
// display: its exit code and what it wrote to stderr.
std::pair<int, QByteArray> RunWithBytes(const std::vector<QByteArray>& arguments) {
    int errors[2];
    if (pipe(errors) != 0) {
        return {-1, {}};
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(errors[1], STDERR_FILENO);
        close(errors[0]);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        std::vector<char*> argv{const_cast<char*>(TOLVIK_EXECUTABLE)};
        for (const QByteArray& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.constData()));
        }
        argv.push_back(nullptr);
        execv(TOLVIK_EXECUTABLE, argv.data());
        _exit(127);
    }
    close(errors[1]);
    QByteArray text;
    char chunk[4096];
    for (ssize_t count; (count = read(errors[0], chunk, sizeof chunk)) > 0;) {
        text.append(chunk, count);
    }
    close(errors[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        QFile file(Path("scenario.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
    }
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir m_dir;
};

TEST_F(CommandLineTest, HelpListsEveryOptionAndVersionIsTheProjects) {
    const ToolRun help = RunTolvik({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--help", "--version", "--scenario <FILE>", "--bridge-library <PATH>",
                               "--registry <FILE>", "--adapter <ADAPTER>"}) {
        EXPECT_TRUE(help.out.contains(QString::fromLatin1(option))) << option << "\n"
                                                                    << help.out.toStdString();
    }
    EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();

    const ToolRun version = RunTolvik({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "Tolvik 1.5.0.0\n");
}

TEST_F(CommandLineTest, BadOptionsEndWithOneLineAndExitCode2) {
    struct Case {
        QStringList arguments;
        const char* expected;  // part of the line on stderr
    };
    const Case cases[] = {
        {{"--scenario", Path("missing.txt")}, "no such file"},
        {{"--registry", Path("missing.reg")}, "no such file"},
        {{"--bridge-library", Path("folder")}, "not a regular file"},
        {{"--scenario", Path("scenario.txt"), "--bridge-library", Path("missing.so")},
         "missing.so: no such file"},
        {{"--scenario"}, "Missing value after '--scenario'"},
        {{"--no-such-option"}, "no-such-option"},
        {{"stray"}, "unexpected argument 'stray'"},
    };
    for (const Case& test : cases) {
        const QString what = test.arguments.join(' ');
        const ToolRun run = RunTolvik(test.arguments);
        EXPECT_EQ(run.exitCode, kCommandLineErrorExit) << what.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromLatin1(test.expected))) << run.err.toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.endsWith(QLatin1Char('\n')));
        EXPECT_TRUE(run.out.isEmpty()) << what.toStdString();
    }
}

TEST_F(CommandLineTest, UnreadableFileIsRefused) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    QFile::setPermissions(Path("scenario.txt"), QFileDevice::WriteOwner);
    const ToolRun run = RunTolvik({QStringLiteral("--scenario"), Path("scenario.txt")});
    EXPECT_EQ(run.exitCode, kCommandLineErrorExit);
    EXPECT_TRUE(run.err.contains(QStringLiteral("cannot be read"))) << run.err.toStdString();
}

TEST_F(CommandLineTest, CommandLineWinsOverTheEnvironmentAndPathsBecomeAbsolute) {
    const QByteArray fromEnvironment = "/elsewhere/registry.reg";
    qputenv("TOLVIK_REGISTRY", fromEnvironment);
    qputenv("TOLVIK_BENCH_SCENARIO", "/elsewhere/scenario.txt");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    const CommandLine line = ParseCommandLine({"tolvik", "--scenario", "scenario.txt"});
    QDir::setCurrent(previous);

    ASSERT_TRUE(line.run) << line.output.toStdString();
    EXPECT_EQ(line.scenario, Path("scenario.txt").toLocal8Bit());
    ApplyCommandLine(line);
    EXPECT_EQ(qgetenv("TOLVIK_BENCH_SCENARIO"), Path("scenario.txt").toLocal8Bit());
    EXPECT_EQ(qgetenv("TOLVIK_REGISTRY"), fromEnvironment);  // not given: the environment stays
    qunsetenv("TOLVIK_REGISTRY");
    qunsetenv("TOLVIK_BENCH_SCENARIO");
}

// A file name is any bytes but '/' and NUL: not UTF-8, a lone surrogate's encoding, a backslash.
TEST_F(CommandLineTest, PathsKeepTheirBytes) {
    const QByteArray folder = QFile::encodeName(m_dir.path());
    const QByteArray names[] = {"\xFF\xFE.txt", "a\\b.txt", "caf\xC3\xA9.txt", "\xED\xA0\x80.txt", "\xC3"};
    for (const QByteArray& name : names) {
        const QByteArray path = folder + '/' + name;
        ASSERT_EQ(EncodeArgument(DecodeArgument(path)), path);
        {
            std::FILE* written = std::fopen(path.constData(), "wb");
            ASSERT_NE(written, nullptr) << name.toHex().toStdString();
            std::fclose(written);
        }
        const CommandLine line = ParseCommandLine({"tolvik", "--registry=" + path, "--scenario", path});
        ASSERT_TRUE(line.run) << line.output.toStdString();
        EXPECT_EQ(line.scenario, path);
        EXPECT_EQ(line.registry, path);

        // Through the program: the scenario passes, so the line is about the missing registry.
        const auto [code, err] = RunWithBytes({"--scenario", path, "--registry", path + ".missing"});
        EXPECT_EQ(code, kCommandLineErrorExit) << err.toStdString();
        EXPECT_TRUE(err.startsWith("tolvik: --registry ")) << err.toStdString();
        EXPECT_TRUE(err.endsWith(".missing: no such file\n")) << err.toStdString();
        std::remove(path.constData());
    }
}

TEST_F(CommandLineTest, AdaptersAreJoinedInOrderAndLoadTheCanLibraryUnlessAnotherIsGiven) {
    qunsetenv("TOLVIK_BRIDGE_LIBRARY");
    const CommandLine line = ParseCommandLine(
        {"tolvik", "--adapter", "slcan:/dev/ttyACM0,bitrate=250000", "--adapter", "socketcan:can0"});
    ASSERT_TRUE(line.run) << line.output.toStdString();
    ApplyCommandLine(line);
    EXPECT_EQ(qgetenv("TOLVIK_CAN_ADAPTER"), "slcan:/dev/ttyACM0,bitrate=250000;socketcan:can0");
    EXPECT_TRUE(qgetenv("TOLVIK_BRIDGE_LIBRARY").endsWith("/libtolvikcan.so"));

    qunsetenv("TOLVIK_BRIDGE_LIBRARY");
    QFile library(Path("other.so"));
    ASSERT_TRUE(library.open(QIODevice::WriteOnly));
    library.close();
    ApplyCommandLine(ParseCommandLine(
        {"tolvik", "--adapter", "slcan:COM5", "--bridge-library", QFile::encodeName(Path("other.so"))}));
    EXPECT_EQ(qgetenv("TOLVIK_CAN_ADAPTER"), "slcan:COM5");
    EXPECT_EQ(qgetenv("TOLVIK_BRIDGE_LIBRARY"), QFile::encodeName(Path("other.so")));
    qunsetenv("TOLVIK_CAN_ADAPTER");
    qunsetenv("TOLVIK_BRIDGE_LIBRARY");
}

}  // namespace
