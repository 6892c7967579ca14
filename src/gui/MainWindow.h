#pragma once

#include <QMainWindow>

class QTableView;

namespace gui {

class KeyFileModel;

/** The single window of the desktop program. */
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);

    /** Opens a key file as the document; false (and the reason) when it cannot be read. */
    bool openKeyFile(const QString& path, QString* error = nullptr);

    KeyFileModel* keyFileModel() const { return m_keyFileModel; }

private:
    KeyFileModel* m_keyFileModel;
    QTableView* m_grid;
};

} // namespace gui
