// Built only by the CoreHasNoQt test, which expects this file to fail to compile at the Qt include: the engine's
// own headers are found, its include path does not reach Qt.
#include "core/KeyDocument.h"

#include <QString>

QString probe()
{
    return {};
}
