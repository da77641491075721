#include "view/CLetterTab.h"
#include "view/DisplayName.h"
#include <QPainter>

CLetterTab::CLetterTab(int letter, std::function<QColor(int)> colour, QWidget* parent)
    : QAbstractButton(parent), m_nLetter(letter), m_colour(std::move(colour)) {
    setText(QString::fromStdString(LetterText(letter)));
    setFocusPolicy(Qt::NoFocus);
}

QSize CLetterTab::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(QStringLiteral("W")) + 4, fm.height() + 2};
}

void CLetterTab::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(m_colour(m_nLetter));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
}
