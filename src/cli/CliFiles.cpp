#include "CliFiles.h"

#include "io/FileIo.h"

#include <QString>

namespace cli {

std::optional<std::string> readInput(const std::string& path, std::ostream& err)
{
    std::string bytes;
    io::FileError error;
    if (!io::readFileBytes(QString::fromLocal8Bit(path.c_str()), &bytes, &error)) {
        err << "tarnwick-cli: cannot read " << path << ": " << error.reason.toLocal8Bit().toStdString() << '\n';
        return std::nullopt;
    }
    return bytes;
}

bool writeOutput(const std::string& path, const std::string& bytes, std::ostream& err)
{
    io::FileError error;
    if (!io::writeFileAtomically(QString::fromLocal8Bit(path.c_str()), bytes, &error)) {
        err << "tarnwick-cli: cannot write " << path << ": " << error.reason.toLocal8Bit().toStdString() << '\n';
        return false;
    }
    return true;
}

} // namespace cli
