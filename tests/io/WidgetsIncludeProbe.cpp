// Built only by the IoHasNoWidgets test, which expects this file to fail to compile at the Qt Widgets include: the
// file layer's headers and Qt Core are found, its include path does not reach Qt Widgets.
#include "io/FileIo.h"

#include <QString>

#include <QWidget>

QWidget* probe(const QString&)
{
    return nullptr;
}
