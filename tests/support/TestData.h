#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ctime>
#include <string>

namespace testing {

/** The bytes of a string literal, NUL bytes included, without the terminating one. */
template <std::size_t N> QByteArray literalBytes(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N - 1));
}

/** A file under tests/data/. */
QString testDataPath(const QString& name);
/** A file under samples/. */
QString samplePath(const QString& name);
/** The real key files of ../shared/corpus/keyfiles/ beside the checkout; empty when that folder is absent. */
QStringList corpusKeyFiles();
/** The real key file whose name starts with `prefix`; empty when there is none. */
QString corpusKeyFile(const QString& prefix);
/** A file of ../shared/corpus/ beside the checkout ("macros/NAME"); empty when it is absent. */
QString corpusFile(const QString& relativePath);
/** The whole file as bytes; fails the calling test when it cannot be read (QVERIFY on the result's size). */
std::string readBytes(const QString& path);
void writeBytes(const QString& path, const std::string& bytes);
/** Makes a named pipe at `path` with the system's mkfifo program; false where there is none. */
bool makeNamedPipe(const QString& path);
/** Runs `program` (found on the path) with `args`; false when it is missing or fails. */
bool runProgram(const QString& program, const QStringList& args);
/** 4 December 2026, 3:26 pm: the clock that report tests compare at. */
std::tm fixedTime();

} // namespace testing
