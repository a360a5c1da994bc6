#pragma once

#include <QColor>
#include <QHeaderView>
#include <QRect>
#include <QString>

#include <vector>

class QFontMetrics;

// A column header drawn flat: a face-coloured band, titles inset from their edges, an etched
// line after every column but the last, one raised frame around the columns in use, and the
// column the left button is held on drawn inverted. Hovering changes nothing on screen; the
// header's own handling keeps resizing by the dividers and the click notices.
class CFlatHeaderCtrl : public QHeaderView {
    Q_OBJECT

public:
    // Inset of a title from its column's left and right edges.
    static constexpr int kSpacing = 6;

    struct Colors {
        QColor highlight; // lit edges
        QColor shadow;    // shaded edges
        QColor face;      // the band
        QColor text;
    };

    // One column as it is drawn, in display order.
    struct SectionInput {
        QString text;
        Qt::Alignment alignment = Qt::AlignLeft;
        int width = 0;
    };
    struct SectionLayout {
        QRect rect;        // the whole column, full height
        QRect textRect;    // inset by kSpacing; empty when no title is drawn
        QString shownText; // the title, shortened with an ellipsis to fit
        Qt::Alignment alignment;
        bool inverted = false;
        bool divider = false; // the etched line at dividerX - 1 (shadow) and dividerX (highlight)
        int dividerX = 0;     // the column's right edge: its left plus its width
    };
    struct Layout {
        std::vector<SectionLayout> sections;
        QRect frame; // the raised frame over the used width; null when no column has a width
    };

    // The drawing of a header whose first column starts at x = left, given the columns in
    // display order and the display position held pressed (-1 for none).
    static Layout ComputeLayout(const std::vector<SectionInput>& sections, int left, int height,
                                const QFontMetrics& metrics, int pressedPosition);

    explicit CFlatHeaderCtrl(QWidget* parent = nullptr);

    // The drawing as the header stands now.
    Layout CurrentLayout() const;
    const Colors& CurrentColors() const { return m_colors; }
    // The logical column held pressed (left button down on its title), or -1.
    int PressedSection() const { return m_iPressedSection; }
    bool IsResizing() const { return m_bResizing; }

    // Which column a point of the viewport lies on, and whether it is on a divider, by the rule
    // the header's own resizing uses; column -1 when on none.
    struct HitTest {
        int section = -1;
        bool onDivider = false;
    };
    HitTest HitTestAt(int x) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void LoadColors();
    std::vector<SectionInput> Inputs() const;

    Colors m_colors;
    int m_iPressedSection = -1;
    bool m_bResizing = false;
};
