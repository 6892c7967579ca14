#include "MainWindow.h"

#include "KeyFileModel.h"
#include "io/FileIo.h"
#include "io/TextCodec.h"

#include <QHeaderView>
#include <QTableView>

namespace gui {

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , m_keyFileModel(new KeyFileModel(this))
    , m_grid(new QTableView(this))
{
    setWindowTitle(QStringLiteral("  Tarnwick vs. 1.3"));
    m_grid->setObjectName(QStringLiteral("GridData"));
    m_grid->setModel(m_keyFileModel);
    m_grid->verticalHeader()->hide();
    setCentralWidget(m_grid);
    resize(1000, 693);
}

bool MainWindow::openKeyFile(const QString& path, QString* error)
{
    std::string bytes;
    io::FileError failure;
    if (!io::readFileBytes(path, &bytes, &failure)) {
        if (error)
            *error = failure.reason;
        return false;
    }
    const auto encoding = io::detectEncoding(bytes);
    m_keyFileModel->setDocument(core::KeyDocument::fromBytes(std::move(bytes)), encoding);
    return true;
}

} // namespace gui
