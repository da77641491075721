#pragma once
#include <QAbstractButton>
#include <functional>

// One of the 27 letter tabs (A to Z, "#") under the contact list: only its letter, centred, in the
// colour the view gives it at paint time; no frame, face or pushed state.
class CLetterTab : public QAbstractButton {
    Q_OBJECT
public:
    CLetterTab(int letter, std::function<QColor(int)> colour, QWidget* parent = nullptr);
    int Letter() const { return m_nLetter; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_nLetter;
    std::function<QColor(int)> m_colour;
};
