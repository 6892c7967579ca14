// Built only by the PrintHasNoWidgets test, which expects this file to fail to compile at the Qt Widgets include:
// the printout's headers and Qt Gui are found, its include path does not reach Qt Widgets.
#include "print/ReferencePdf.h"

#include <QPainter>

#include <QWidget>

QWidget* probe(QPainter*)
{
    return nullptr;
}
