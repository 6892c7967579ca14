#include "ReferencePdf.h"

#include "KeyboardLayout.h"
#include "core/KeyCodeTable.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <functional>
#include <optional>

namespace print {

namespace {

// Drawing is in the writer's device units, 1200 to the inch; fonts are sized in points.
constexpr double kDpi = 1200.0;
constexpr double kEpsilon = 0.5;

double mm(double value)
{
    return value * kDpi / 25.4;
}

double pt(double value)
{
    return value * kDpi / 72.0;
}

QRectF inPoints(const QRectF& rect)
{
    const double f = 72.0 / kDpi;
    return {rect.x() * f, rect.y() * f, rect.width() * f, rect.height() * f};
}

QString utf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont textFont(double points, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    // Without ligatures, so that the PDF's text reads "fi" as two letters: searching and copying find what was typed.
    font.setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

const QColor kInk(20, 20, 20);
const QColor kGrey(110, 110, 110);
const QColor kRule(170, 170, 170);
const QColor kFree(255, 255, 255);
const QColor kTaken(200, 238, 200);
const QColor kDouble(255, 208, 208);
const QColor kDoubleBorder(200, 0, 0);
const QColor kModifierKey(228, 228, 228);
const QColor kHeld(44, 72, 140);

constexpr double kMargin = 10.0; // mm, every side
constexpr double kLabelLargest = 7.0; // points
constexpr double kLabelSmallest = 4.0;

// The label indexes of the modifier keys, which have no row in the key table: Shift, Control, Alt, left and right.
constexpr int kShiftLabels[] = {42, 54};
constexpr int kControlLabels[] = {29, 157};
constexpr int kAltLabels[] = {56, 184};

bool isHeld(int labelIndex, int modifier)
{
    const auto in = [labelIndex](const int(&labels)[2]) { return labels[0] == labelIndex || labels[1] == labelIndex; };
    return ((modifier & 1) && in(kShiftLabels)) || ((modifier & 2) && in(kControlLabels))
        || ((modifier & 4) && in(kAltLabels));
}

// The names of a key's functions fitted into its box: each name is a paragraph of its own, and a dotted rule
// separates the names of a key taken more than once.
struct FittedLabel
{
    QFont font;
    int flags = 0;
    QStringList names; // what is drawn: the names, and "+N more" when not all fit
    QList<double> heights; // of each paragraph
};

const double kNameGap = 2.5 * kDpi / 72.0; // points between two names

// The paragraphs' heights when they fit the box at this font, else nothing.
std::optional<QList<double>> measureNames(
    const QRectF& box, const QFont& font, int flags, const QStringList& names, QPaintDevice* device)
{
    const QFontMetricsF metrics(font, device);
    QList<double> heights;
    double total = kNameGap * static_cast<double>(names.size() - 1);
    for (const QString& name : names) {
        const QRectF need = metrics.boundingRect(QRectF(0, 0, box.width(), 1e7), flags, name);
        if (need.width() > box.width() + kEpsilon)
            return std::nullopt;
        heights << need.height();
        total += need.height();
    }
    if (total > box.height() + kEpsilon)
        return std::nullopt;
    return heights;
}

// The largest size at which the names fit wrapped at spaces; at the smallest size words may break anywhere, and
// names that still do not fit are counted ("+2 more") instead of cut off.
FittedLabel fitLabel(const QRectF& box, const QStringList& names, QPaintDevice* device)
{
    const int wordWrap = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    for (double size = kLabelLargest; size >= kLabelSmallest - 0.01; size -= 0.25) {
        const QFont font = textFont(size);
        if (const auto heights = measureNames(box, font, wordWrap, names, device))
            return {font, wordWrap, names, *heights};
    }
    const QFont smallest = textFont(kLabelSmallest);
    const int anywhere = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWrapAnywhere;
    for (qsizetype shown = names.size(); shown >= 1; --shown) {
        QStringList drawn = names.mid(0, shown);
        if (shown < names.size())
            drawn << QStringLiteral("+%1 more").arg(names.size() - shown);
        if (const auto heights = measureNames(box, smallest, anywhere, drawn, device))
            return {smallest, anywhere, drawn, *heights};
    }
    // Not even one name fits: its beginning is shown, as much as the box holds.
    return {smallest, anywhere, names.mid(0, 1), {box.height()}};
}

void drawLabel(QPainter& painter, const QRectF& box, const FittedLabel& label)
{
    double total = kNameGap * static_cast<double>(label.names.size() - 1);
    for (const double height : label.heights)
        total += height;
    double y = box.top() + std::max(0.0, (box.height() - total) / 2);
    painter.setFont(label.font);
    for (qsizetype i = 0; i < label.names.size(); ++i) {
        const QRectF paragraph(box.left(), y, box.width(), label.heights[i]);
        painter.setPen(kInk);
        painter.drawText(paragraph, label.flags, label.names[i]);
        y += label.heights[i];
        if (i + 1 < label.names.size()) {
            painter.setPen(QPen(kDoubleBorder, pt(0.5), Qt::DotLine));
            painter.drawLine(QPointF(box.left() + box.width() * 0.15, y + kNameGap / 2),
                QPointF(box.right() - box.width() * 0.15, y + kNameGap / 2));
            y += kNameGap;
        }
    }
}

// One line of text in the painter's font, shortened in the middle ("...") when it is wider than the box.
void drawLine(QPainter& painter, const QRectF& box, int flags, const QString& text)
{
    const QFontMetricsF metrics(painter.font(), painter.device());
    painter.drawText(box, flags, metrics.elidedText(text, Qt::ElideMiddle, box.width()));
}

void drawFooter(QPainter& painter, const QRectF& page, const QString& title, int number, int count)
{
    painter.setFont(textFont(7));
    painter.setPen(kGrey);
    const QRectF line(mm(kMargin), page.height() - mm(kMargin) + pt(2), page.width() - 2 * mm(kMargin), pt(10));
    const QString pageText = QStringLiteral("Page %1 of %2").arg(number).arg(count);
    const double pageWidth = QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(pageText) + mm(5);
    painter.drawText(line, Qt::AlignRight | Qt::AlignTop, pageText);
    drawLine(painter, line.adjusted(0, 0, -pageWidth, 0), Qt::AlignLeft | Qt::AlignTop, title);
}

// ---------------------------------------------------------------------------------------------------------------
// The keyboard map of one layer
// ---------------------------------------------------------------------------------------------------------------

void drawLegend(QPainter& painter, QPointF at)
{
    const struct
    {
        QColor fill;
        QColor border;
        const char* text;
    } items[] = {
        {kFree, kGrey, "free"},
        {kTaken, kGrey, "taken"},
        {kDouble, kDoubleBorder, "taken more than once (\xc3\x97N: how often)"},
        {kHeld, kHeld, "held"},
    };
    painter.setFont(textFont(7.5));
    const QFontMetricsF metrics(painter.font(), painter.device());
    for (const auto& item : items) {
        const QRectF swatch(at.x(), at.y(), mm(5), mm(3.2));
        painter.setPen(QPen(item.border, pt(0.6)));
        painter.setBrush(item.fill);
        painter.drawRect(swatch);
        const QString text = QString::fromUtf8(item.text);
        painter.setPen(kInk);
        const QRectF label(
            swatch.right() + mm(1.5), at.y() - mm(1), metrics.horizontalAdvance(text) + mm(1), swatch.height() + mm(2));
        painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, text);
        at.rx() = label.right() + mm(6);
    }
    painter.setPen(kGrey);
    painter.drawText(QRectF(at.x(), at.y() - mm(1), mm(140), mm(5.2)), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("Two-stroke keys, joystick buttons and hats: see the bindings sheet."));
}

PrintedPage drawLayer(
    QPainter& painter, const QRectF& page, const core::Reference& reference, const core::ReferenceLayer& layer)
{
    PrintedPage printed;
    printed.landscape = true;
    printed.heading = utf8(reference.title) + QStringLiteral(" \u2014 ") + utf8(layer.title);

    const QRectF content = page.adjusted(mm(kMargin), mm(kMargin), -mm(kMargin), -mm(kMargin));
    painter.setPen(kInk);
    painter.setFont(textFont(14, true));
    const QRectF headingBox(content.left(), content.top(), content.width(), pt(20));
    drawLine(painter, headingBox, Qt::AlignLeft | Qt::AlignTop, printed.heading);

    // The two frames of the window's keyboard, scaled to the page's width; keys grow taller where the page allows.
    const QRectF frames = QRectF(Frame1Twips).united(QRectF(Frame2Twips));
    const double legendHeight = mm(8);
    const QRectF area(content.left(), headingBox.bottom() + mm(3), content.width(),
        content.height() - headingBox.height() - mm(3) - legendHeight);
    const double sx = area.width() / frames.width();
    const double sy = std::min(area.height() / frames.height(), sx * 1.9);
    const QPointF origin(area.left(), area.top() + (area.height() - frames.height() * sy) / 2);
    const auto place = [&](const QRectF& twips) {
        return QRectF(origin.x() + (twips.x() - frames.x()) * sx, origin.y() + (twips.y() - frames.y()) * sy,
            twips.width() * sx, twips.height() * sy);
    };

    painter.setPen(QPen(kRule, pt(0.8)));
    painter.setBrush(Qt::NoBrush);
    for (const QRect& frame : {Frame1Twips, Frame2Twips})
        painter.drawRoundedRect(place(frame).adjusted(-mm(1), -mm(1), mm(1), mm(1)), mm(1.5), mm(1.5));

    const double gap = mm(0.5);
    const double pad = mm(0.6);
    const QFont captionFont = textFont(6, true);
    const QFont badgeFont = textFont(6, true);
    const double captionHeight = QFontMetricsF(captionFont, painter.device()).height() + pt(1);
    for (const KeyLabelSpec& spec : keyboardLayout()) {
        const QRect frame = spec.frame == 1 ? Frame1Twips : Frame2Twips;
        const QRectF key = place(QRectF(spec.twips).translated(frame.topLeft())).adjusted(gap, gap, -gap, -gap);
        const auto tableRow = core::KeyCodeTable::rowOfLabel(spec.index);
        QStringList names;
        if (!spec.disabled && tableRow) {
            for (const std::string& name : layer.functions[static_cast<std::size_t>(*tableRow)])
                names << utf8(name);
        }
        const bool held = spec.disabled && isHeld(spec.index, layer.modifier);
        QColor fill = spec.disabled ? kModifierKey : kFree;
        QPen border(kGrey, pt(0.6));
        if (held)
            fill = kHeld;
        else if (names.size() > 1) {
            fill = kDouble;
            border = QPen(kDoubleBorder, pt(1.4));
        } else if (names.size() == 1)
            fill = kTaken;
        painter.setPen(border);
        painter.setBrush(fill);
        painter.drawRoundedRect(key, mm(0.8), mm(0.8));

        const QRectF captionBox(key.left() + pad, key.top() + pad * 0.5, key.width() - 2 * pad, captionHeight);
        painter.setFont(captionFont);
        painter.setPen(held ? Qt::white : kGrey);
        painter.drawText(captionBox, Qt::AlignLeft | Qt::AlignTop, spec.caption.trimmed());
        if (names.size() > 1) {
            painter.setFont(badgeFont);
            painter.setPen(kDoubleBorder);
            painter.drawText(captionBox, Qt::AlignRight | Qt::AlignTop, QStringLiteral("\u00d7%1").arg(names.size()));
        }
        if (names.isEmpty())
            continue;
        const QRectF box(
            key.left() + pad, captionBox.bottom(), key.width() - 2 * pad, key.bottom() - pad - captionBox.bottom());
        const FittedLabel label = fitLabel(box, names, painter.device());
        drawLabel(painter, box, label);
        printed.labels.append({inPoints(box), label.names.join(QLatin1Char('\n'))});
    }
    drawLegend(painter, QPointF(content.left(), content.bottom() - legendHeight + mm(2.5)));
    return printed;
}

// ---------------------------------------------------------------------------------------------------------------
// The bindings sheet
// ---------------------------------------------------------------------------------------------------------------

// One thing placed on a sheet page.
struct SheetItem
{
    enum Kind { Title, Subtitle, Entry } kind = Entry;
    QRectF box; // the whole item
    QRectF functionBox; // Entry: the function's text; headings: their text
    QRectF keysBox; // Entry: the keys
    int functionFlags = 0;
    int keysFlags = 0;
    QString function;
    QString keys;
};

struct SheetPage
{
    QList<SheetItem> items;
};

QFont entryFont()
{
    return textFont(7.5);
}

QFont keysFont()
{
    return textFont(7.5, true);
}

QFont titleFont()
{
    return textFont(10, true);
}

QFont subtitleFont()
{
    return textFont(8.5, true);
}

// Wrapped at spaces where the words fit the width, anywhere where one does not.
int wrapFlags(const QFontMetricsF& metrics, double width, const QString& text, int align)
{
    const int words = align | Qt::AlignTop | Qt::TextWordWrap;
    if (metrics.boundingRect(QRectF(0, 0, width, 1e7), words, text).width() <= width + kEpsilon)
        return words;
    return align | Qt::AlignTop | Qt::TextWrapAnywhere;
}

// An item measured for a column of this width, placed at the column's top left; moved into place later.
SheetItem measureEntry(const core::ReferenceEntry& entry, double width, QPaintDevice* device)
{
    SheetItem item;
    item.kind = SheetItem::Entry;
    item.function = utf8(entry.function);
    item.keys = utf8(entry.keys);
    const QFontMetricsF entryMetrics(entryFont(), device);
    const QFontMetricsF keysMetrics(keysFont(), device);
    const double keysWidth = std::min(keysMetrics.horizontalAdvance(item.keys) + pt(1), width * 0.45);
    const double functionWidth = width - keysWidth - mm(3);
    item.functionFlags = wrapFlags(entryMetrics, functionWidth, item.function, Qt::AlignLeft);
    item.keysFlags = wrapFlags(keysMetrics, keysWidth, item.keys, Qt::AlignRight);
    const double functionHeight
        = entryMetrics.boundingRect(QRectF(0, 0, functionWidth, 1e7), item.functionFlags, item.function).height();
    const double keysHeight
        = keysMetrics.boundingRect(QRectF(0, 0, keysWidth, 1e7), item.keysFlags, item.keys).height();
    const double height = std::max(functionHeight, keysHeight);
    item.functionBox = QRectF(0, pt(1.2), functionWidth, height);
    item.keysBox = QRectF(width - keysWidth, pt(1.2), keysWidth, height);
    item.box = QRectF(0, 0, width, height + pt(2.6));
    return item;
}

SheetItem measureHeading(const core::ReferenceSection& section, double width, QPaintDevice* device)
{
    SheetItem item;
    item.kind = section.level == 1 ? SheetItem::Title : SheetItem::Subtitle;
    item.function = utf8(section.title);
    const QFontMetricsF metrics(item.kind == SheetItem::Title ? titleFont() : subtitleFont(), device);
    item.functionFlags = wrapFlags(metrics, width, item.function, Qt::AlignLeft);
    const double height = metrics.boundingRect(QRectF(0, 0, width, 1e7), item.functionFlags, item.function).height();
    const double above = item.kind == SheetItem::Title ? pt(9) : pt(6);
    const double below = item.kind == SheetItem::Title ? pt(4) : pt(2);
    item.functionBox = QRectF(0, above, width, height);
    item.box = QRectF(0, 0, width, above + height + below);
    return item;
}

// Lays the sheet out on pages of two columns within `body` (the first page's body starts lower, below the
// heading).
QList<SheetPage> layOutSheet(
    const core::Reference& reference, const QRectF& firstBody, const QRectF& body, QPaintDevice* device)
{
    const double columnGap = mm(8);
    const double width = (body.width() - columnGap) / 2;
    QList<SheetItem> items;
    QList<int> keepWithNext; // item indexes that must not end a column
    for (const core::ReferenceSection& section : reference.sections) {
        if (section.level > 0) {
            keepWithNext << static_cast<int>(items.size());
            items << measureHeading(section, width, device);
        }
        for (const core::ReferenceEntry& entry : section.entries)
            items << measureEntry(entry, width, device);
    }

    QList<SheetPage> pages(1);
    int column = 0;
    QRectF area = firstBody;
    double y = area.top();
    const auto nextColumn = [&] {
        if (++column == 2) {
            column = 0;
            pages.append(SheetPage{});
            area = body;
        }
        y = area.top();
    };
    for (qsizetype i = 0; i < items.size(); ++i) {
        SheetItem item = items[i];
        // A heading goes with what follows it: every heading in a row and the first entry after them.
        double needed = item.box.height();
        for (qsizetype j = i; keepWithNext.contains(static_cast<int>(j)) && j + 1 < items.size(); ++j)
            needed += items[j + 1].box.height();
        const bool atTop = y == area.top();
        if (!atTop && y + needed > area.bottom())
            nextColumn();
        const QPointF at(area.left() + column * (width + columnGap), y);
        item.box.translate(at);
        item.functionBox.translate(at);
        item.keysBox.translate(at);
        pages.last().items << item;
        y += item.box.height();
    }
    return pages;
}

void drawSheetPage(QPainter& painter, const SheetPage& page)
{
    for (const SheetItem& item : page.items) {
        switch (item.kind) {
        case SheetItem::Title:
            painter.setFont(titleFont());
            painter.setPen(kInk);
            painter.drawText(item.functionBox, item.functionFlags, item.function);
            painter.setPen(QPen(kInk, pt(0.8)));
            painter.drawLine(QPointF(item.box.left(), item.functionBox.bottom() + pt(1.5)),
                QPointF(item.box.right(), item.functionBox.bottom() + pt(1.5)));
            break;
        case SheetItem::Subtitle:
            painter.setFont(subtitleFont());
            painter.setPen(kGrey);
            painter.drawText(item.functionBox, item.functionFlags, item.function);
            break;
        case SheetItem::Entry:
            painter.setFont(entryFont());
            painter.setPen(kInk);
            painter.drawText(item.functionBox, item.functionFlags, item.function);
            painter.setFont(keysFont());
            painter.drawText(item.keysBox, item.keysFlags, item.keys);
            painter.setPen(QPen(kRule, pt(0.3), Qt::DotLine));
            painter.drawLine(QPointF(item.box.left(), item.box.bottom() - pt(0.4)),
                QPointF(item.box.right(), item.box.bottom() - pt(0.4)));
            break;
        }
    }
}

} // namespace

Paper localPaper()
{
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? Paper::Letter : Paper::A4;
}

ReferencePrint printReference(const core::Reference& reference, Paper paper)
{
    ReferencePrint result;
    QBuffer buffer(&result.pdf);
    buffer.open(QIODevice::WriteOnly);
    const QPageSize size(paper == Paper::Letter ? QPageSize::Letter : QPageSize::A4);
    const QString title = utf8(reference.title);

    QPdfWriter writer(&buffer);
    writer.setResolution(static_cast<int>(kDpi));
    writer.setTitle(title + QStringLiteral(" \u2014 key bindings"));
    writer.setCreator(QStringLiteral("Tarnwick"));
    const auto layout = [&size](QPageLayout::Orientation orientation) {
        return QPageLayout(size, orientation, QMarginsF(0, 0, 0, 0));
    };
    const auto pageRect = [&](QPageLayout::Orientation orientation) {
        return QRectF(layout(orientation).fullRectPixels(static_cast<int>(kDpi)));
    };

    // The sheet is laid out first, so that every footer can say how many pages there are.
    const QRectF portrait = pageRect(QPageLayout::Portrait);
    const QRectF content = portrait.adjusted(mm(kMargin), mm(kMargin), -mm(kMargin), -mm(kMargin) - pt(8));
    const double headingHeight = pt(24);
    const double continuedHeight = pt(16);
    const QList<SheetPage> sheet = layOutSheet(
        reference, content.adjusted(0, headingHeight, 0, 0), content.adjusted(0, continuedHeight, 0, 0), &writer);
    const int pageCount = static_cast<int>(reference.layers.size() + sheet.size());

    writer.setPageLayout(layout(reference.layers.empty() ? QPageLayout::Portrait : QPageLayout::Landscape));
    QPainter painter(&writer);
    painter.setRenderHint(QPainter::Antialiasing);
    int number = 0;
    const auto startPage = [&](QPageLayout::Orientation orientation) {
        if (number > 0) {
            writer.setPageLayout(layout(orientation));
            writer.newPage();
        }
        ++number;
    };

    for (const core::ReferenceLayer& layer : reference.layers) {
        startPage(QPageLayout::Landscape);
        const QRectF page = pageRect(QPageLayout::Landscape);
        result.pages << drawLayer(painter, page, reference, layer);
        drawFooter(painter, page, title, number, pageCount);
    }
    for (qsizetype i = 0; i < sheet.size(); ++i) {
        startPage(QPageLayout::Portrait);
        PrintedPage printed;
        printed.heading
            = title + (i == 0 ? QStringLiteral(" \u2014 bindings") : QStringLiteral(" \u2014 bindings, continued"));
        painter.setFont(textFont(i == 0 ? 14 : 9, true));
        painter.setPen(kInk);
        drawLine(painter, QRectF(content.left(), content.top(), content.width(), headingHeight),
            Qt::AlignLeft | Qt::AlignTop, printed.heading);
        if (reference.sections.empty()) {
            painter.setFont(entryFont());
            painter.drawText(content.adjusted(0, headingHeight, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                QStringLiteral("No function of this file is bound to a key, button or hat."));
        }
        drawSheetPage(painter, sheet[i]);
        drawFooter(painter, portrait, title, number, pageCount);
        result.pages << printed;
    }
    painter.end();
    return result;
}

} // namespace print
