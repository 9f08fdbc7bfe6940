#pragma once

#include <QPixmap>
#include <QWidget>

// A 16 x 16 status lamp cut from the lamp strip and drawn centred in its control.
// The strip holds three states across (0 lit, 1 dark, 2 grey) and eight lamps
// down; colour offset + shape offset is the top edge of the lamp's row, in pixels.
class CIndicatorLamp : public QWidget
{
    Q_OBJECT
public:
    explicit CIndicatorLamp(QWidget* parent = nullptr);

    // Stores the three values and repaints the lamp at once.
    void SetLamp(int colourOffset, int state, int shapeOffset);

    int ColourOffset() const { return m_colourOffset; }
    int State() const { return m_state; }
    int ShapeOffset() const { return m_shapeOffset; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_strip;
    int m_colourOffset = 16;
    int m_state = 1;
    int m_shapeOffset = 64;
};
