#pragma once

#include "core/KeyDocument.h"
#include "io/TextCodec.h"

#include <QAbstractTableModel>

namespace gui {

/**
 * The open key file as a table: the grid's model and the owner of the document. Every edit goes through it and
 * marks the document modified. Texts are decoded for display and encoded back in the file's own encoding.
 */
class KeyFileModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit KeyFileModel(QObject* parent = nullptr);

    void setDocument(core::KeyDocument document, io::TextEncoding encoding);
    const core::KeyDocument& document() const { return m_document; }
    io::TextEncoding encoding() const { return m_encoding; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    QString cellText(int row, int column) const;
    /** Bytes of the document as text, in its encoding. */
    QString decode(const std::string& bytes) const { return io::decodeText(bytes, m_encoding); }
    /** Sets a cell and marks the document modified; comment rows and the line column refuse. */
    bool setCellText(int row, int column, const QString& text);
    bool isComment(int row) const { return m_document.isComment(row); }

    void sortRows(int firstColumn, int lastColumn, core::SortOrder order);
    void setSavedState(core::SavedState state);
    void markModified();

signals:
    void savedStateChanged(core::SavedState state);
    /** Sent before a cell changes or the rows are sorted, while the document is still as it was. */
    void aboutToChange();

private:
    core::KeyDocument m_document;
    io::TextEncoding m_encoding = io::TextEncoding::Windows1252;
};

} // namespace gui
