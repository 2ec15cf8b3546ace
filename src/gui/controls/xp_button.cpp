#include "gui/controls/xp_button.h"

#include <QEnterEvent>
#include <QPainter>
#include <array>

namespace {

QPen FramePen(int width, QColor color) {
    QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    return pen;
}

// Windows halves toward zero; so does C++ integer division.
int Half(int v) { return v / 2; }

}  // namespace

CXPButton::CXPButton(QWidget* parent)
    : QPushButton(parent),
      m_penBorder(FramePen(1, QColor(0, 0, 0))),
      m_penHoverLeft(FramePen(3, QColor(250, 196, 88))),
      m_penHoverRight(FramePen(3, QColor(251, 202, 106))),
      m_penHoverTop(FramePen(2, QColor(252, 210, 121))),
      m_penHoverBottom(FramePen(2, QColor(229, 151, 0))),
      m_penFocusLeft(FramePen(3, QColor(153, 198, 252))),
      m_penFocusRight(FramePen(3, QColor(162, 189, 252))),
      m_penFocusTop(FramePen(2, QColor(162, 201, 255))),
      m_penFocusBottom(FramePen(2, QColor(162, 201, 255))) {
    // The button paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CXPButton::~CXPButton() = default;

unsigned CXPButton::CurrentItemState() const {
    unsigned state = 0;
    if (isDown()) state |= ODS_SELECTED;
    if (!isEnabled()) state |= ODS_DISABLED;
    if (hasFocus()) state |= ODS_FOCUS;
    if (isDefault()) state |= ODS_DEFAULT;
    return state;
}

void CXPButton::paintEvent(QPaintEvent*) {
    QPainter dc(this);
    // Whatever lies outside the rounded outline shows the dialog's background.
    dc.fillRect(rect(), palette().window());
    DrawItem(dc, rect(), CurrentItemState());
}

void CXPButton::DrawItem(QPainter& dc, const QRect& rcItem, unsigned nState) {
    dc.save();
    dc.setRenderHint(QPainter::Antialiasing, false);

    // Outline over the whole item, filled with the surface's default white brush.
    dc.setPen(m_penBorder);
    dc.setBrush(Qt::white);
    dc.drawRoundedRect(QRectF(rcItem.left(), rcItem.top(), rcItem.width() - 1, rcItem.height() - 1),
                       2.5, 2.5);

    m_bFocus = (nState & ODS_FOCUS) ? 1 : 0;
    m_bActive = (nState & (ODS_FOCUS | ODS_SELECTED | ODS_DEFAULT)) ? 1 : 0;

    const QRect rcFace = rcItem.adjusted(kEdgeX, kEdgeY, -kEdgeX, -kEdgeY);
    DrawFace(dc, rcFace);
    if (m_bHover || m_bFocus) DrawFrame(dc, rcFace);
    dc.setFont(font());
    DrawCaption(dc, rcFace, nState);
    dc.restore();
}

QColor CXPButton::FaceBrushColor(int i) const {
    if (m_bHover && m_bActive) return QColor(255 - i / 4, 255 - i / 4, 255 - i / 3);
    if (m_bHover) return QColor(255 - i / 4, 255 - i / 4, 255 - i / 5);
    if (m_bActive) return QColor(255 - i / 3, 255 - i / 3, 255 - i / 4);
    return QColor(255 - i / 3, 255 - i / 3, 255 - i / 5);
}

void CXPButton::DrawFace(QPainter& dc, const QRect& rcFace) {
    const int h = rcFace.height();
    if (h <= 0) return;
    // Made anew for every paint, one brush per gradient step.
    std::array<QBrush, 64> brushes;
    for (int i = 0; i < 64; ++i) brushes[i] = QBrush(FaceBrushColor(i));
    for (int k = 0; k < h; ++k)
        dc.fillRect(QRect(rcFace.left(), rcFace.top() + k, rcFace.width(), 1), brushes[63 * k / h]);
}

void CXPButton::DrawFrame(QPainter& dc, const QRect& rcFace) {
    const bool focusPens = m_bFocus && !m_bHover;
    const QPen& penLeft = focusPens ? m_penFocusLeft : m_penHoverLeft;
    const QPen& penRight = focusPens ? m_penFocusRight : m_penHoverRight;
    const QPen& penTop = focusPens ? m_penFocusTop : m_penHoverTop;
    const QPen& penBottom = focusPens ? m_penFocusBottom : m_penHoverBottom;

    // Exclusive right and bottom, as the original rectangles count them.
    const int left = rcFace.left(), top = rcFace.top();
    const int right = rcFace.left() + rcFace.width();
    const int bottom = rcFace.top() + rcFace.height();

    dc.save();
    // Each line leaves out its end point.
    dc.setPen(penLeft);
    dc.drawLine(QPoint(left, bottom - 1), QPoint(left, top + 2));
    dc.setPen(penRight);
    dc.drawLine(QPoint(right - 1, bottom - 1), QPoint(right - 1, top + 1));
    dc.setPen(penTop);
    dc.drawLine(QPoint(left - 1, top), QPoint(right - 2, top));
    dc.setPen(penBottom);
    dc.drawLine(QPoint(left, bottom), QPoint(right - 2, bottom));
    dc.restore();

    if (focusPens) {
        // The dotted focus rectangle: every other pixel of the face's border.
        QPen dotted(QColor(0, 0, 0), 1);
        dotted.setDashPattern({1.0, 1.0});
        dc.save();
        dc.setPen(dotted);
        dc.setBrush(Qt::NoBrush);
        dc.drawRect(QRect(left, top, rcFace.width() - 1, rcFace.height() - 1));
        dc.restore();
    }
}

void CXPButton::DrawCaption(QPainter& dc, const QRect& rcFace, unsigned nState) {
    const QString caption = text().left(259);
    const QFontMetrics fm(dc.font());
    const int width = fm.horizontalAdvance(caption);
    const int height = fm.height();
    const int right = rcFace.left() + rcFace.width();
    const int bottom = rcFace.top() + rcFace.height();
    int x = Half(rcFace.left() + right) - Half(width);
    int y = Half(rcFace.top() + bottom) - Half(height);
    if (nState & ODS_SELECTED) {
        x += 1;
        y += 1;
    }
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    if (nState & ODS_DISABLED) {
        // Embossed: a highlight one pixel down-right under the shadow-coloured text.
        dc.setPen(QColor(255, 255, 255));
        dc.drawText(QRect(x + 1, y + 1, width + 1, height), flags, caption);
        dc.setPen(QColor(128, 128, 128));
        dc.drawText(QRect(x, y, width + 1, height), flags, caption);
    } else {
        dc.setPen(QColor(0, 0, 0));
        dc.drawText(QRect(x, y, width + 1, height), flags, caption);
    }
}

void CXPButton::enterEvent(QEnterEvent* e) {
    // The toolkit reports the pointer's arrival itself; that stands for the hover request
    // being granted and the 1 ms hover time passing.
    m_bTracking = 1;
    m_bLeaveTracked = 1;
    m_bHover = 1;
    update();
    QPushButton::enterEvent(e);
}

void CXPButton::leaveEvent(QEvent* e) {
    m_bHover = 0;
    m_bTracking = 0;
    update();
    QPushButton::leaveEvent(e);
}
