#include "widgets/CFlatHeaderCtrl.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

CFlatHeaderCtrl::CFlatHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsMovable(false);
    setSectionsClickable(true);
    setHighlightSections(false);
    setStretchLastSection(false);
    setMinimumSectionSize(0);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LoadColors();
}

void CFlatHeaderCtrl::LoadColors() {
    const QPalette& colors = palette();
    m_colors.highlight = colors.color(QPalette::Light);
    m_colors.shadow = colors.color(QPalette::Dark);
    m_colors.face = colors.color(QPalette::Button);
    m_colors.text = colors.color(QPalette::ButtonText);
}

void CFlatHeaderCtrl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        LoadColors();
        viewport()->update();
    }
    QHeaderView::changeEvent(event);
}

CFlatHeaderCtrl::Layout CFlatHeaderCtrl::ComputeLayout(const std::vector<SectionInput>& sections,
                                                       int left, int height,
                                                       const QFontMetrics& metrics,
                                                       int pressedPosition) {
    Layout layout;
    layout.sections.reserve(sections.size());
    int x = left;
    int total = 0;
    const int count = static_cast<int>(sections.size());
    for (int position = 0; position < count; ++position) {
        const SectionInput& input = sections[static_cast<std::size_t>(position)];
        const int width = input.width > 0 ? input.width : 0;
        SectionLayout section;
        section.rect = QRect(x, 0, width, height);
        section.alignment = input.alignment;
        const QRect inset = section.rect.adjusted(kSpacing, 0, -kSpacing, 0);
        if (inset.width() >= 1 && !input.text.isEmpty()) {
            section.textRect = inset;
            section.shownText = metrics.elidedText(input.text, Qt::ElideRight, inset.width());
        }
        section.inverted = position == pressedPosition;
        section.divider = position != count - 1;
        section.dividerX = x + width;
        layout.sections.push_back(section);
        x += width;
        total += width;
    }
    if (total > 0) {
        layout.frame = QRect(left, 0, total, height);
    }
    return layout;
}

std::vector<CFlatHeaderCtrl::SectionInput> CFlatHeaderCtrl::Inputs() const {
    std::vector<SectionInput> inputs;
    const int sections = count();
    inputs.reserve(static_cast<std::size_t>(sections));
    for (int position = 0; position < sections; ++position) {
        const int logical = logicalIndex(position);
        SectionInput input;
        input.width = sectionSize(logical); // 0 for a hidden column
        if (QAbstractItemModel* source = model()) {
            input.text = source->headerData(logical, orientation(), Qt::DisplayRole).toString();
            const QVariant alignment =
                source->headerData(logical, orientation(), Qt::TextAlignmentRole);
            input.alignment =
                alignment.isValid() ? Qt::Alignment(alignment.toInt()) : defaultAlignment();
        }
        inputs.push_back(input);
    }
    return inputs;
}

CFlatHeaderCtrl::Layout CFlatHeaderCtrl::CurrentLayout() const {
    const int pressedPosition = m_iPressedSection >= 0 ? visualIndex(m_iPressedSection) : -1;
    return ComputeLayout(Inputs(), -offset(), viewport()->height(), QFontMetrics(font()),
                         pressedPosition);
}

CFlatHeaderCtrl::HitTest CFlatHeaderCtrl::HitTestAt(int x) const {
    HitTest hit;
    const int visual = visualIndexAt(x);
    if (visual < 0) {
        return hit;
    }
    const int logical = logicalIndex(visual);
    hit.section = logical;
    const int start = sectionViewportPosition(logical);
    const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    int handle = -1;
    if (x < start + grip) {
        // The divider before this column belongs to the nearest shown column on its left.
        for (int before = visual - 1; before >= 0 && handle < 0; --before) {
            if (!isSectionHidden(logicalIndex(before))) {
                handle = logicalIndex(before);
            }
        }
    } else if (x > start + sectionSize(logical) - grip) {
        handle = logical;
    }
    hit.onDivider = handle >= 0 && sectionResizeMode(handle) == QHeaderView::Interactive;
    return hit;
}

void CFlatHeaderCtrl::paintEvent(QPaintEvent* /*event*/) {
    const Layout layout = CurrentLayout();
    QPainter painter(viewport());
    const QRect client = viewport()->rect();
    painter.fillRect(client, m_colors.face);
    painter.setFont(font());
    const QPen highlight(m_colors.highlight, 1);
    const QPen shadow(m_colors.shadow, 1);
    for (const SectionLayout& section : layout.sections) {
        if (!section.textRect.isNull()) {
            painter.setPen(m_colors.text);
            painter.drawText(section.textRect,
                             int(section.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter |
                                 Qt::TextSingleLine,
                             section.shownText);
        }
        if (section.inverted && section.rect.width() > 0) {
            painter.save();
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter.fillRect(section.rect, Qt::white);
            painter.restore();
        }
        if (section.divider) {
            const int top = section.rect.top() + 2;
            const int bottom = section.rect.top() + section.rect.height() - 1 - 2;
            painter.setPen(shadow);
            painter.drawLine(section.dividerX - 1, top, section.dividerX - 1, bottom);
            painter.setPen(highlight);
            painter.drawLine(section.dividerX, top, section.dividerX, bottom);
        }
    }
    if (!layout.frame.isNull()) {
        const QRect& frame = layout.frame;
        const int right = frame.left() + frame.width() - 1;
        const int bottom = frame.top() + frame.height() - 1;
        painter.setPen(highlight);
        painter.drawLine(frame.left(), frame.top(), right, frame.top());
        painter.drawLine(frame.left(), frame.top(), frame.left(), bottom);
        painter.setPen(shadow);
        painter.drawLine(frame.left(), bottom, right, bottom);
        painter.drawLine(right, frame.top(), right, bottom);
    }
}

void CFlatHeaderCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const HitTest hit = HitTestAt(event->position().toPoint().x());
        m_bResizing = hit.onDivider;
        m_iPressedSection = hit.onDivider ? -1 : hit.section;
        viewport()->update();
    }
    QHeaderView::mousePressEvent(event);
}

void CFlatHeaderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_bResizing = false;
        m_iPressedSection = -1;
        viewport()->update();
    }
    QHeaderView::mouseReleaseEvent(event);
}

void CFlatHeaderCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (m_bResizing) {
        QHeaderView::mouseMoveEvent(event);
        return;
    }
    // No hot tracking and no column dragging; only the cursor tells where a divider is.
    if (event->buttons() == Qt::NoButton) {
        if (HitTestAt(event->position().toPoint().x()).onDivider) {
            viewport()->setCursor(Qt::SplitHCursor);
        } else {
            viewport()->unsetCursor();
        }
    }
}
