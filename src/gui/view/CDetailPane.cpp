#include "view/CDetailPane.h"
#include "resources/ObjectName.h"
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScrollBar>
#include <algorithm>

namespace {

// The column's width at most, and at most this share of the pane's width, so that the
// text keeps the room it needs in a narrow window.
constexpr int kMaxSide = 96;
constexpr int kWidthShare = 4;
constexpr int kGap = 4;

} // namespace

CDetailPane::CDetailPane(QWidget* parent) : QPlainTextEdit(parent) {
    m_photo = new QLabel(this);
    SetIdName(m_photo, "IDC_DETAIL_PHOTO");
    m_photo->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_photo->setBackgroundRole(QPalette::Base);
    m_photo->setAutoFillBackground(true);
    m_photo->hide();
}

void CDetailPane::SetPhoto(const QImage& image) {
    m_image = image;
    PlacePhoto();
}

bool CDetailPane::HasPhoto() const {
    return !m_image.isNull();
}

void CDetailPane::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    PlacePhoto();
}

void CDetailPane::PlacePhoto() {
    if (m_image.isNull()) {
        m_photo->hide();
        m_photo->clear();
        setViewportMargins(0, 0, 0, 0);
        return;
    }
    const int inner = width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width();
    const int side = std::max(16, std::min(kMaxSide, inner / kWidthShare));
    setViewportMargins(0, 0, side + 2 * kGap, 0);
    const QRect view = viewport()->geometry();
    m_photo->setGeometry(view.right() + 1, view.top(), side + 2 * kGap, view.height());
    m_photo->setContentsMargins(kGap, kGap, kGap, 0);
    m_photo->setPixmap(QPixmap::fromImage(
        m_image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    m_photo->show();
}
