// Built only by the CoreHasNoQt test, which expects this file to fail to compile: the engine's include path must
// not reach Qt.
#include <QString>

#include "core/KeyDocument.h"

QString probe()
{
    return {};
}
