#include "widgets/CFlatHeaderCtrl.h"

#include <QApplication>
#include <QImage>
#include <QStandardItemModel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Input = CFlatHeaderCtrl::SectionInput;

// Columns as the kiln list has them: titled ones with a width, and unnamed ones of width 0
// between them.
std::vector<Input> KilnListColumns() {
    return {{"WRB ID", Qt::AlignLeft, 48}, {"", Qt::AlignLeft, 0},
            {"Status", Qt::AlignLeft, 64}, {"", Qt::AlignLeft, 0},
            {"RTD1", Qt::AlignRight, 44},  {"", Qt::AlignRight, 0}};
}

// A header over a model of the given titles and widths, shown offscreen.
struct ShownHeader {
    explicit ShownHeader(const std::vector<Input>& columns) : model(1, int(columns.size())) {
        for (int column = 0; column < int(columns.size()); ++column) {
            model.setHeaderData(column, Qt::Horizontal, columns[std::size_t(column)].text);
            model.setHeaderData(column, Qt::Horizontal, int(columns[std::size_t(column)].alignment),
                                Qt::TextAlignmentRole);
        }
        header.setModel(&model);
        for (int column = 0; column < int(columns.size()); ++column) {
            header.resizeSection(column, columns[std::size_t(column)].width);
        }
        header.resize(400, 24);
        header.show();
    }
    QStandardItemModel model;
    CFlatHeaderCtrl header;
};

} // namespace

TEST(FlatHeaderLayout, ZeroWidthColumnsDrawNoTitleButKeepTheirDivider) {
    const QFontMetrics metrics(QApplication::font());
    const auto layout = CFlatHeaderCtrl::ComputeLayout(KilnListColumns(), 0, 20, metrics, -1);
    ASSERT_EQ(layout.sections.size(), 6u);
    const auto& id = layout.sections[0];
    const auto& unnamed = layout.sections[1];
    EXPECT_TRUE(id.divider);
    EXPECT_EQ(id.dividerX, 48);
    EXPECT_TRUE(unnamed.divider);
    EXPECT_EQ(unnamed.dividerX, 48) << "coincides with the edge before it";
    EXPECT_TRUE(unnamed.textRect.isNull());
    EXPECT_FALSE(layout.sections[5].divider) << "the last position has none";
    EXPECT_EQ(layout.sections[4].dividerX, 156);
}

TEST(FlatHeaderLayout, TitlesAreInsetAndShortenedWithAnEllipsis) {
    const QFontMetrics metrics(QApplication::font());
    const std::vector<Input> columns = {
        {"A title far too long for its narrow column", Qt::AlignLeft, 60},
        {"RTD1", Qt::AlignRight, 80},
        {"X", Qt::AlignLeft, 12}};
    const auto layout = CFlatHeaderCtrl::ComputeLayout(columns, 0, 20, metrics, -1);
    const auto& longTitle = layout.sections[0];
    EXPECT_TRUE(longTitle.shownText.endsWith(QChar(0x2026))) << longTitle.shownText.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(longTitle.shownText), 60 - 2 * 6);
    EXPECT_EQ(longTitle.textRect.left(), 6);

    const auto& right = layout.sections[1];
    EXPECT_EQ(right.shownText, "RTD1");
    EXPECT_EQ(right.textRect.left() + right.textRect.width(), right.dividerX - 6);
    EXPECT_EQ(right.alignment & Qt::AlignHorizontal_Mask, Qt::AlignRight);

    EXPECT_TRUE(layout.sections[2].textRect.isNull()) << "no room inside 12 px";
}

TEST(FlatHeaderLayout, TheFrameEndsAtTheLastColumn) {
    const QFontMetrics metrics(QApplication::font());
    auto layout = CFlatHeaderCtrl::ComputeLayout(KilnListColumns(), 0, 20, metrics, -1);
    EXPECT_EQ(layout.frame, QRect(0, 0, 156, 20));
    layout = CFlatHeaderCtrl::ComputeLayout({{"", Qt::AlignLeft, 0}}, 0, 20, metrics, -1);
    EXPECT_TRUE(layout.frame.isNull()) << "nothing in use, no frame";
    layout = CFlatHeaderCtrl::ComputeLayout(KilnListColumns(), -30, 20, metrics, 2);
    EXPECT_EQ(layout.frame.left(), -30) << "scrolled along with the columns";
    EXPECT_TRUE(layout.sections[2].inverted);
    EXPECT_FALSE(layout.sections[0].inverted);
}

TEST(FlatHeaderMouse, PressingATitleInvertsItsColumnUntilRelease) {
    ShownHeader shown(KilnListColumns());
    CFlatHeaderCtrl& header = shown.header;
    QWidget* surface = header.viewport();
    const QPoint onStatus(48 + 30, 10);
    QTest::mousePress(surface, Qt::LeftButton, {}, onStatus);
    EXPECT_EQ(header.PressedSection(), 2);
    EXPECT_FALSE(header.IsResizing());
    EXPECT_TRUE(header.CurrentLayout().sections[2].inverted);

    const QImage pressed = header.grab().toImage();
    const QColor face = header.CurrentColors().face;
    const QColor inverted(255 - face.red(), 255 - face.green(), 255 - face.blue());
    EXPECT_EQ(QColor(pressed.pixel(onStatus.x(), 14)), inverted);
    EXPECT_EQ(QColor(pressed.pixel(200, 14)), face) << "the band past the columns";

    QTest::mouseRelease(surface, Qt::LeftButton, {}, onStatus);
    EXPECT_EQ(header.PressedSection(), -1);
    EXPECT_FALSE(header.CurrentLayout().sections[2].inverted);
}

TEST(FlatHeaderMouse, PressingADividerResizesAndInvertsNothing) {
    ShownHeader shown(KilnListColumns());
    CFlatHeaderCtrl& header = shown.header;
    QWidget* surface = header.viewport();
    const QPoint onDivider(48 + 64 - 1, 10);
    ASSERT_TRUE(header.HitTestAt(onDivider.x()).onDivider);
    QTest::mousePress(surface, Qt::LeftButton, {}, onDivider);
    EXPECT_TRUE(header.IsResizing());
    EXPECT_EQ(header.PressedSection(), -1);
    for (const auto& section : header.CurrentLayout().sections) {
        EXPECT_FALSE(section.inverted);
    }
    QMouseEvent drag(QEvent::MouseMove, QPointF(onDivider + QPoint(20, 0)),
                     header.mapToGlobal(QPointF(onDivider + QPoint(20, 0))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &drag);
    QTest::mouseRelease(surface, Qt::LeftButton, {}, onDivider + QPoint(20, 0));
    EXPECT_EQ(header.sectionSize(2), 84) << "the divider still drags";
    EXPECT_FALSE(header.IsResizing());
}

TEST(FlatHeaderMouse, MovingOverTheHeaderChangesNothing) {
    ShownHeader shown(KilnListColumns());
    CFlatHeaderCtrl& header = shown.header;
    const QImage before = header.grab().toImage();
    QMouseEvent hover(QEvent::MouseMove, QPointF(70, 10), header.mapToGlobal(QPointF(70, 10)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(header.viewport(), &hover);
    EXPECT_EQ(header.grab().toImage(), before);
    EXPECT_EQ(header.PressedSection(), -1);
}

TEST(FlatHeaderColors, ANewPaletteRedrawsInItsColours) {
    ShownHeader shown(KilnListColumns());
    CFlatHeaderCtrl& header = shown.header;
    QPalette palette = header.palette();
    palette.setColor(QPalette::Button, QColor(10, 120, 200));
    header.setPalette(palette);
    EXPECT_EQ(header.CurrentColors().face, QColor(10, 120, 200));
    const QImage image = header.grab().toImage();
    EXPECT_EQ(QColor(image.pixel(300, 12)), QColor(10, 120, 200));
}
