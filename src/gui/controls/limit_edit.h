// A single-line edit field that drops typed characters outside a configured set: a main
// range, up to five single characters and three extra ranges; Backspace always passes.
// Only typed characters are filtered: a paste from the context menu or a text set by the
// program goes in unchanged. Ctrl+C, Ctrl+V and Ctrl+X type the characters 3, 22 and 24
// and are dropped like any other character unless a range lets them through.
#pragma once
#include <QLineEdit>
#include <cstdint>

class CLimitEdit : public QLineEdit {
    Q_OBJECT
public:
    static constexpr uint32_t kUnset = 0xFFFFFFFFu;   // no character reaches it
    static constexpr uint32_t kNoChar = 0xFFFFFFFEu;  // a key press that types nothing

    explicit CLimitEdit(QWidget* parent = nullptr);

    // Whether the typed character ch passes the filter.
    bool Passes(uint32_t ch) const;
    // The character a key press types, or kNoChar for keys that type none (arrows, ...).
    static uint32_t TypedChar(const QKeyEvent& e);

    // Set directly by the owner, as a dialog sets up its field.
    uint32_t m_chAllowed[5] = {0, 0, 0, 0, 0};
    int m_nAllowed = 0;
    uint32_t m_chMax = kUnset;
    uint32_t m_chMin = kUnset;
    struct Range {
        uint32_t lower = kUnset;
        uint32_t upper = kUnset;
    };
    Range m_range[3];

protected:
    void keyPressEvent(QKeyEvent* e) override;
};
