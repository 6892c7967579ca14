#pragma once

class QWidget;

namespace gui {

class KeyFileSession;
class Prompts;

/**
 * File > Print reference...: asks where to write the printed reference of the open key file and writes it there
 * (through a temporary file): a PDF of the keyboard maps and the bindings sheet on the locale's paper (A4, or Letter
 * in the US), or the bindings sheet as a web page when the name ends in ".html" or ".htm". The overwrite and
 * read-only questions are those of every save; a failed write says so.
 */
void printReference(Prompts& prompts, QWidget* parent, const KeyFileSession& session);

} // namespace gui
