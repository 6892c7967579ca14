#pragma once

#include "core/Reference.h"

#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QString>

namespace print {

enum class Paper { A4, Letter };

/** A key's text as drawn on a map page: the box it had to fit, in points from the page's top left corner, and the
 *  text, lines joined by "\n". */
struct DrawnLabel
{
    QRectF box;
    QString text;
};

/** What one page of the printout holds, for checking it. */
struct PrintedPage
{
    QString heading;
    bool landscape = false;
    QList<DrawnLabel> labels; // map pages: one per taken key
};

struct ReferencePrint
{
    QByteArray pdf;
    QList<PrintedPage> pages; // the keyboard maps first, one per layer, then the bindings sheet
};

/**
 * The printed reference as a PDF: for each layer of `reference` a landscape page with the keyboard drawn as the
 * "Locate spare keys" page draws it, each taken key labelled with the short names of its functions (wrapped and
 * shrunk to fit, doubles marked), then the bindings sheet on portrait pages in two columns. Needs a
 * QGuiApplication for its fonts.
 */
ReferencePrint printReference(const core::Reference& reference, Paper paper);

/** The paper of the user's locale: Letter where the US measurement system is in use, A4 elsewhere. */
Paper localPaper();

} // namespace print
