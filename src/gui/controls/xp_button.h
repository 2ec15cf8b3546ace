// A push button that paints itself: rounded black outline, a vertical white-to-tint
// gradient face, an orange frame while the pointer rests on it, a blue frame with a
// dotted focus rectangle while it has the focus, and a centred caption.
//
// The paint goes through DrawItem, which takes any QPainter, so a test can draw the
// button into a QImage and read its pixels.
#pragma once
#include <QPen>
#include <QPushButton>
#include <cstdint>

class CXPButton : public QPushButton {
    Q_OBJECT
public:
    // Item-state flags of a paint request (the values of the original owner-draw states).
    static constexpr unsigned ODS_SELECTED = 0x0001;  // pressed
    static constexpr unsigned ODS_DISABLED = 0x0004;
    static constexpr unsigned ODS_FOCUS = 0x0010;
    static constexpr unsigned ODS_DEFAULT = 0x0020;
    // Edge width and height the face is inset by (the system's 3-D edge metrics).
    static constexpr int kEdgeX = 2;
    static constexpr int kEdgeY = 2;

    explicit CXPButton(QWidget* parent = nullptr);
    ~CXPButton() override;

    // Paints the whole button into rcItem with the given item state.
    void DrawItem(QPainter& dc, const QRect& rcItem, unsigned nState);
    // Colour of gradient brush i (0..63) for the current hover/active flags.
    QColor FaceBrushColor(int i) const;

    int IsHover() const { return m_bHover; }
    int IsTracking() const { return m_bTracking; }
    int IsFocusPainted() const { return m_bFocus; }
    int IsActivePainted() const { return m_bActive; }
    // The item state the widget's own paint would use now.
    unsigned CurrentItemState() const;

protected:
    virtual void DrawFace(QPainter& dc, const QRect& rcFace);
    virtual void DrawFrame(QPainter& dc, const QRect& rcFace);

    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    void DrawCaption(QPainter& dc, const QRect& rcFace, unsigned nState);

    QPen m_penBorder;
    QPen m_penHoverLeft;
    QPen m_penHoverRight;
    QPen m_penHoverTop;
    QPen m_penHoverBottom;
    QPen m_penFocusLeft;
    QPen m_penFocusRight;
    QPen m_penFocusTop;
    QPen m_penFocusBottom;
    int m_bHover = 0;
    int m_bTracking = 0;
    int m_bFocus = 0;
    int m_bActive = 0;
    uint8_t m_bLeaveTracked = 0;
};
