// The command line, through the real executable (exit codes and output) and in process (which
// file wins over the environment).
#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "app/CommandLine.h"

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
    for (const char* option :
         {"--help", "--version", "--scenario <FILE>", "--bridge-library <PATH>", "--registry <FILE>",
          "--adapter <SPEC>"}) {
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
    EXPECT_EQ(line.scenario, Path("scenario.txt"));
    ApplyCommandLine(line);
    EXPECT_EQ(qgetenv("TOLVIK_BENCH_SCENARIO"), Path("scenario.txt").toLocal8Bit());
    EXPECT_EQ(qgetenv("TOLVIK_REGISTRY"), fromEnvironment);  // not given: the environment stays
    qunsetenv("TOLVIK_REGISTRY");
    qunsetenv("TOLVIK_BENCH_SCENARIO");
}

TEST_F(CommandLineTest, AdaptersAreJoinedInOrderAndLoadTheCanLibraryUnlessAnotherIsGiven) {
    qunsetenv("TOLVIK_BRIDGE_LIBRARY");
    const CommandLine line =
        ParseCommandLine({"tolvik", "--adapter", "slcan:/dev/ttyACM0,bitrate=250000", "--adapter", "socketcan:can0"});
    ASSERT_TRUE(line.run) << line.output.toStdString();
    ApplyCommandLine(line);
    EXPECT_EQ(qgetenv("TOLVIK_CAN_ADAPTER"), "slcan:/dev/ttyACM0,bitrate=250000;socketcan:can0");
    EXPECT_TRUE(qgetenv("TOLVIK_BRIDGE_LIBRARY").endsWith("/libtolvikcan.so"));

    qunsetenv("TOLVIK_BRIDGE_LIBRARY");
    QFile library(Path("other.so"));
    ASSERT_TRUE(library.open(QIODevice::WriteOnly));
    library.close();
    ApplyCommandLine(ParseCommandLine({"tolvik", "--adapter", "slcan:COM5", "--bridge-library", Path("other.so")}));
    EXPECT_EQ(qgetenv("TOLVIK_CAN_ADAPTER"), "slcan:COM5");
    EXPECT_EQ(qgetenv("TOLVIK_BRIDGE_LIBRARY"), Path("other.so").toLocal8Bit());
    qunsetenv("TOLVIK_CAN_ADAPTER");
    qunsetenv("TOLVIK_BRIDGE_LIBRARY");
}

}  // namespace
