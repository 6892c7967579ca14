#include "TestData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace testing {

namespace {

QString sourceDir()
{
    const QByteArray fromEnv = qgetenv("TARNWICK_SOURCE_DIR");
    return fromEnv.isEmpty() ? QStringLiteral(TARNWICK_SOURCE_DIR_DEFAULT) : QString::fromLocal8Bit(fromEnv);
}

} // namespace

QString testDataPath(const QString& name)
{
    return QDir(sourceDir()).filePath(QStringLiteral("tests/data/") + name);
}

QString samplePath(const QString& name)
{
    return QDir(sourceDir()).filePath(QStringLiteral("samples/") + name);
}

QStringList corpusKeyFiles()
{
    const QDir corpus(QDir(sourceDir()).filePath(QStringLiteral("../shared/corpus/keyfiles")));
    if (!corpus.exists())
        return {};
    QStringList files;
    for (const QString& name : corpus.entryList({QStringLiteral("*.key")}, QDir::Files, QDir::Name))
        files << corpus.filePath(name);
    return files;
}

QString corpusKeyFile(const QString& prefix)
{
    for (const QString& path : corpusKeyFiles()) {
        if (QFileInfo(path).fileName().startsWith(prefix))
            return path;
    }
    return {};
}

QString corpusFile(const QString& relativePath)
{
    const QString path = QDir(sourceDir()).filePath(QStringLiteral("../shared/corpus/") + relativePath);
    return QFileInfo::exists(path) ? path : QString();
}

std::string readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

void writeBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

bool runProgram(const QString& program, const QStringList& args)
{
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return false;
    QProcess process;
    process.start(found, args);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool makeNamedPipe(const QString& path)
{
    return runProgram(QStringLiteral("mkfifo"), {path}) && QFileInfo::exists(path);
}

std::tm fixedTime()
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 4;
    t.tm_hour = 15;
    t.tm_min = 26;
    return t;
}

} // namespace testing
