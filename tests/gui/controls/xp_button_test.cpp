#include "gui/controls/xp_button.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QPainter>

#include "qt_app_env.h"

namespace {

// A 50 x 20 button: with 2-pixel edges its face is (2, 2) - (48, 18), 16 rows.
constexpr int kW = 50, kH = 20;
const QColor kBackdrop(1, 2, 3);

struct Painted {
    QImage img;
    QColor At(int x, int y) const { return img.pixelColor(x, y); }
};

class XPButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        QFont f = btn.font();
        f.setStyleStrategy(QFont::NoAntialias);  // exact text colours
        btn.setFont(f);
        btn.resize(kW, kH);
        btn.setText("Find");
    }
    Painted Paint(unsigned state) {
        Painted p{QImage(kW, kH, QImage::Format_RGB32)};
        p.img.fill(kBackdrop);
        QPainter dc(&p.img);
        btn.DrawItem(dc, QRect(0, 0, kW, kH), state);
        return p;
    }
    void Hover(bool on) {
        if (on) {
            QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
            QApplication::sendEvent(&btn, &e);
        } else {
            QEvent e(QEvent::Leave);
            QApplication::sendEvent(&btn, &e);
        }
    }
    // Bounding box of the caption's dark pixels inside the face, frames left out.
    static QRect TextBox(const Painted& p) {
        QRect box;
        for (int y = 2; y < 18; ++y)
            for (int x = 2; x < 48; ++x)
                if (qGray(p.img.pixel(x, y)) < 100) box |= QRect(x, y, 1, 1);
        return box;
    }
    CXPButton btn;
};

TEST_F(XPButtonTest, FaceGradientRowsFollowTheBrushTable) {
    struct Case {
        bool hover;
        unsigned state;
        int row;  // face row, 0..15
    };
    // ODS_DEFAULT makes the button active without the focus frame.
    const Case cases[] = {{false, 0, 0},
                          {false, 0, 15},
                          {false, CXPButton::ODS_DEFAULT, 15},
                          {true, 0, 8},
                          {true, 0, 13},
                          {true, CXPButton::ODS_DEFAULT, 13},
                          {false, CXPButton::ODS_DEFAULT, 7}};
    for (const Case& c : cases) {
        Hover(c.hover);
        Painted p = Paint(c.state);
        const int brush = 63 * c.row / 16;
        const QColor want = btn.FaceBrushColor(brush);
        EXPECT_EQ(p.At(10, 2 + c.row), want)
            << "hover " << c.hover << " state " << c.state << " row " << c.row;
    }
    Hover(false);
    Painted idle = Paint(0);
    EXPECT_EQ(idle.At(10, 2), QColor(255, 255, 255)) << "face row 0 is white";
    EXPECT_EQ(idle.At(10, 17), QColor(236, 236, 244)) << "row 15 of 16 uses brush 59";
    EXPECT_EQ(idle.At(0, 10), QColor(0, 0, 0)) << "black outline";
    EXPECT_NE(idle.At(0, 0), QColor(0, 0, 0)) << "rounded corner";
}

TEST_F(XPButtonTest, BrushTableEndsMatchEachFlagPair) {
    struct Case {
        bool hover;
        unsigned state;
        QColor last;
    };
    const Case cases[] = {{true, CXPButton::ODS_SELECTED, QColor(240, 240, 234)},
                          {true, 0, QColor(240, 240, 243)},
                          {false, CXPButton::ODS_FOCUS, QColor(234, 234, 240)},
                          {false, 0, QColor(234, 234, 243)}};
    for (const Case& c : cases) {
        Hover(c.hover);
        Paint(c.state);  // the flags are taken at paint time
        EXPECT_EQ(btn.FaceBrushColor(63), c.last);
        EXPECT_EQ(btn.FaceBrushColor(0), QColor(255, 255, 255));
    }
}

TEST_F(XPButtonTest, HoverFrameIsOrangeAndHasNoFocusRectangle) {
    for (unsigned state : {0u, unsigned(CXPButton::ODS_FOCUS)}) {
        Hover(true);
        Painted p = Paint(state);
        EXPECT_EQ(p.At(3, 10), QColor(250, 196, 88)) << "left, state " << state;
        EXPECT_EQ(p.At(47, 10), QColor(251, 202, 106)) << "right, state " << state;
        EXPECT_EQ(p.At(20, 2), QColor(252, 210, 121)) << "top, state " << state;
        EXPECT_EQ(p.At(20, 18), QColor(229, 151, 0)) << "bottom, state " << state;
        for (int x = 5; x < 45; ++x) ASSERT_NE(p.At(x, 2), QColor(0, 0, 0)) << "no dots";
    }
}

TEST_F(XPButtonTest, FocusWithoutHoverDrawsBlueFrameAndDottedRectangle) {
    Hover(false);
    Painted p = Paint(CXPButton::ODS_FOCUS);
    EXPECT_EQ(p.At(3, 10), QColor(153, 198, 252));
    EXPECT_EQ(p.At(46, 10), QColor(162, 189, 252));
    int dots = 0;
    for (int x = 4; x < 44; ++x) dots += p.At(x, 2) == QColor(0, 0, 0);
    EXPECT_EQ(dots, 20) << "every other pixel of the top edge";
    Painted idle = Paint(0);
    EXPECT_EQ(idle.At(3, 10), btn.FaceBrushColor(63 * 8 / 16)) << "idle: no frame";
}

TEST_F(XPButtonTest, PressedCaptionMovesOnePixelRightAndDown) {
    Hover(false);
    const QRect normal = TextBox(Paint(0));
    const QRect pressed = TextBox(Paint(CXPButton::ODS_SELECTED));
    ASSERT_FALSE(normal.isEmpty());
    EXPECT_EQ(pressed, normal.translated(1, 1));
}

TEST_F(XPButtonTest, DisabledCaptionIsEmbossed) {
    Hover(false);
    Painted p = Paint(CXPButton::ODS_DISABLED);
    int grey = 0, black = 0, highlightBelowRight = 0;
    for (int y = 4; y < 17; ++y)
        for (int x = 5; x < 45; ++x) {
            const QColor c = p.At(x, y);
            black += c == QColor(0, 0, 0);
            if (c == QColor(128, 128, 128)) {
                ++grey;
                highlightBelowRight += p.At(x + 1, y + 1) == QColor(255, 255, 255) ||
                                       p.At(x + 1, y + 1) == QColor(128, 128, 128);
            }
        }
    EXPECT_GT(grey, 10);
    EXPECT_EQ(black, 0);
    EXPECT_GT(highlightBelowRight, grey / 2);
}

TEST_F(XPButtonTest, EnterAndLeaveDriveHoverAndTracking) {
    EXPECT_EQ(btn.IsHover(), 0);
    Hover(true);
    EXPECT_EQ(btn.IsHover(), 1);
    EXPECT_EQ(btn.IsTracking(), 1);
    Hover(false);
    EXPECT_EQ(btn.IsHover(), 0);
    EXPECT_EQ(btn.IsTracking(), 0);
}

}  // namespace
