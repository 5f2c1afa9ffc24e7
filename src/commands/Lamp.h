#pragma once

#include <QColor>
#include <QWidget>

// A small filled circle whose fill colour the program sets (status and input lamps).
class Lamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor fillColor READ fillColor WRITE setFillColor)
public:
    explicit Lamp(const QString& name, const QColor& initial, QWidget* parent = nullptr);

    QColor fillColor() const { return m_fill; }
    void setFillColor(const QColor& color);
    QSize sizeHint() const override { return {16, 16}; }

    // "On" is pure red, "off" the window-text colour.
    static QColor onColor() { return QColor(255, 0, 0); }
    QColor offColor() const;
    void setOn(bool on) { setFillColor(on ? onColor() : offColor()); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fill;
};
