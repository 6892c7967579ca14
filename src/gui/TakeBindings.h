#pragma once

#include "TakePreview.h"
#include "core/Changes.h"
#include "io/TextCodec.h"

class QWidget;

namespace gui {

class KeyFileSession;
class Prompts;

/** The preview of a plan to take the bindings of `from` (read in `fromEncoding`) into the session's document. */
TakePreview takePreview(const core::TakePlan& plan, const KeyFileSession& session, const core::KeyDocument& from,
    io::TextEncoding fromEncoding, const QString& fromPath);

/**
 * File > Take bindings from: with a key file open, asks for another key file, shows what taking its bindings would
 * change, and takes the bindings the user ticked as one undoable step. Only the changed cells are written, so
 * every other line keeps its bytes. True when the document changed.
 */
bool takeBindings(KeyFileSession& session, Prompts& prompts, QWidget* dialogParent);

} // namespace gui
