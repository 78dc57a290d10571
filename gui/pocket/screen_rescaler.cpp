#include "gui/pocket/screen_rescaler.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QHeaderView>
#include <QLayout>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QVariantMap>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace gui::handheld {

namespace {

    // Where a widget or layout keeps its lengths: by name, the length in
    // device pixels and the pixels it was last given.
    constexpr const char* kLengths = "screenRescaler.lengths";

    class Lengths {
    public:
        Lengths(QObject& object, const PocketScreen& from, const PocketScreen& to)
            : m_object(object)
            , m_from(from)
            , m_to(to)
            , m_known(object.property(kLengths).toMap())
        {
        }
        ~Lengths()
        {
            if (m_changed)
                m_object.setProperty(kLengths, m_known);
        }
        Lengths(const Lengths&) = delete;
        Lengths& operator=(const Lengths&) = delete;

        // `pixels` at the old scale, given at the new one.
        int scaled(const QString& name, int pixels)
        {
            const QVariantList known = m_known.value(name).toList();
            double device = pixels / m_from.scale;
            if (known.size() == 2 && known[1].toInt() == pixels)
                device = known[0].toDouble();
            else if (const double whole = std::round(device); m_from.px(whole) == pixels)
                device = whole; // The program places in whole device pixels.
            const int result = m_to.px(device);
            m_known.insert(name, QVariantList { device, result });
            m_changed = true;
            return result;
        }

    private:
        QObject& m_object;
        const PocketScreen& m_from;
        const PocketScreen& m_to;
        QVariantMap m_known;
        bool m_changed = false;
    };

    // Placed by the program in a container of its own, not by a layout or
    // by the Qt widget it belongs to.
    bool isPlacedByProgram(const QWidget& widget)
    {
        const QWidget* parent = widget.parentWidget();
        if (!parent || widget.isWindow() || parent->layout())
            return false;
        const QMetaObject* kind = parent->metaObject();
        return kind == &QWidget::staticMetaObject || kind == &QDialog::staticMetaObject;
    }

    // A font size of the widget's own, or one a style sheet handed down: a
    // widget under a style sheet takes its parent's font once, and does not
    // follow it when it changes.
    bool hasOwnFontSize(const QWidget& widget)
    {
        if (widget.testAttribute(Qt::WA_SetFont))
            return widget.font().resolveMask() & QFont::SizeResolved;
        const QWidget* parent = widget.parentWidget();
        return parent && parent->testAttribute(Qt::WA_StyleSheet) && !widget.isWindow();
    }

    void scaleFont(QWidget& widget, Lengths& lengths)
    {
        QFont font = widget.font();
        if (!hasOwnFontSize(widget) || font.pixelSize() <= 0)
            return;
        font.setPixelSize(std::max(1, lengths.scaled(QStringLiteral("font"), font.pixelSize())));
        widget.setFont(font);
    }

    void scaleSizeLimits(QWidget& widget, Lengths& lengths)
    {
        const QSize min = widget.minimumSize();
        const QSize max = widget.maximumSize();
        const auto limit = [&lengths](const char* name, int pixels, int none) {
            return pixels == none ? none : lengths.scaled(QString::fromLatin1(name), pixels);
        };
        if (min.isNull() && max == QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX))
            return;
        const QSize newMin(limit("minWidth", min.width(), 0), limit("minHeight", min.height(), 0));
        const QSize newMax(
            limit("maxWidth", max.width(), QWIDGETSIZE_MAX), limit("maxHeight", max.height(), QWIDGETSIZE_MAX));
        widget.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        widget.setMinimumSize(newMin);
        widget.setMaximumSize(newMax);
    }

    void scalePlace(QWidget& widget, Lengths& lengths)
    {
        const QRect place = widget.geometry();
        const int left = lengths.scaled(QStringLiteral("left"), place.x());
        const int top = lengths.scaled(QStringLiteral("top"), place.y());
        const int right = lengths.scaled(QStringLiteral("right"), place.x() + place.width());
        const int bottom = lengths.scaled(QStringLiteral("bottom"), place.y() + place.height());
        widget.setGeometry(left, top, right - left, bottom - top);
    }

    void scaleLayout(QLayout& layout, const PocketScreen& from, const PocketScreen& to)
    {
        Lengths lengths(layout, from, to);
        const QMargins margins = layout.contentsMargins();
        layout.setContentsMargins(lengths.scaled(QStringLiteral("left"), margins.left()),
            lengths.scaled(QStringLiteral("top"), margins.top()),
            lengths.scaled(QStringLiteral("right"), margins.right()),
            lengths.scaled(QStringLiteral("bottom"), margins.bottom()));
        if (layout.spacing() >= 0)
            layout.setSpacing(lengths.scaled(QStringLiteral("spacing"), layout.spacing()));
        for (QObject* child : layout.children()) {
            if (auto* inner = qobject_cast<QLayout*>(child))
                scaleLayout(*inner, from, to);
        }
    }

    void scaleItemView(QWidget& widget, Lengths& lengths)
    {
        if (auto* tree = qobject_cast<QTreeView*>(&widget))
            tree->setIndentation(lengths.scaled(QStringLiteral("indentation"), tree->indentation()));
        auto* view = qobject_cast<QAbstractItemView*>(&widget);
        if (view && view->iconSize().isValid()) {
            const QSize icon = view->iconSize();
            view->setIconSize(QSize(lengths.scaled(QStringLiteral("iconWidth"), icon.width()),
                lengths.scaled(QStringLiteral("iconHeight"), icon.height())));
        }
        auto* header = qobject_cast<QHeaderView*>(&widget);
        if (!header)
            return;
        for (int section = 0; section < header->count(); ++section) {
            const bool stretched = header->stretchLastSection() && header->visualIndex(section) == header->count() - 1;
            if (stretched || header->isSectionHidden(section)
                || header->sectionResizeMode(section) != QHeaderView::Interactive)
                continue;
            header->resizeSection(
                section, lengths.scaled(QStringLiteral("section%1").arg(section), header->sectionSize(section)));
        }
    }

    // The scroll bars that move by pixels, with where they stand as a share
    // of their range; bars that move by items keep their item.
    using Shares = std::vector<std::pair<QScrollBar*, double>>;

    void noteShare(QScrollBar* bar, bool byPixel, Shares& shares)
    {
        if (byPixel && bar && bar->maximum() > bar->minimum())
            shares.emplace_back(bar, double(bar->value() - bar->minimum()) / (bar->maximum() - bar->minimum()));
    }

    Shares noteShares(QWidget& root)
    {
        Shares shares;
        QList<QAbstractScrollArea*> areas = root.findChildren<QAbstractScrollArea*>();
        if (auto* area = qobject_cast<QAbstractScrollArea*>(&root))
            areas << area;
        for (QAbstractScrollArea* area : areas) {
            const auto* view = qobject_cast<QAbstractItemView*>(area);
            noteShare(area->verticalScrollBar(), !view || view->verticalScrollMode() == QAbstractItemView::ScrollPerPixel,
                shares);
            noteShare(area->horizontalScrollBar(),
                !view || view->horizontalScrollMode() == QAbstractItemView::ScrollPerPixel, shares);
        }
        return shares;
    }

    // Given back once the views have laid themselves out anew (they do so on
    // a zero timer of their own, started while they were scaled). A share
    // still waiting from an earlier step is kept: the bar has not settled.
    void restoreShares(const Shares& shares)
    {
        constexpr const char* kWaiting = "screenRescaler.scrollShare";
        for (const auto& [bar, share] : shares) {
            if (bar->property(kWaiting).isValid())
                continue;
            bar->setProperty(kWaiting, share);
            QTimer::singleShot(0, bar, [bar] {
                const double waiting = bar->property(kWaiting).toDouble();
                bar->setProperty(kWaiting, QVariant());
                bar->setValue(bar->minimum() + static_cast<int>(std::lround(waiting * (bar->maximum() - bar->minimum()))));
            });
        }
    }

    // Children first: a Qt widget that hands its font to parts of its own
    // (a combo box to its list) then has the last word.
    void rescaleWidget(QWidget& widget, bool root, const PocketScreen& from, const PocketScreen& to)
    {
        for (QObject* child : widget.children()) {
            auto* inner = qobject_cast<QWidget*>(child);
            if (inner && (!inner->isWindow() || inner->windowType() == Qt::Popup))
                rescaleWidget(*inner, false, from, to);
        }
        Lengths lengths(widget, from, to);
        scaleFont(widget, lengths);
        if (widget.styleSheet() == from.checkBoxStyle())
            widget.setStyleSheet(to.checkBoxStyle());
        // A pop-up menu takes its size and place as it opens.
        if (widget.windowType() == Qt::Popup)
            return;
        scaleSizeLimits(widget, lengths);
        if (!root && isPlacedByProgram(widget))
            scalePlace(widget, lengths);
        if (QLayout* layout = widget.layout())
            scaleLayout(*layout, from, to);
        scaleItemView(widget, lengths);
    }

} // namespace

void rescaleScreen(QWidget& root, const PocketScreen& from, const PocketScreen& to)
{
    const Shares shares = noteShares(root);
    rescaleWidget(root, true, from, to);
    restoreShares(shares);
}

} // namespace gui::handheld
