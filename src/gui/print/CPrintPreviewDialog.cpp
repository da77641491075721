#include "print/CPrintPreviewDialog.h"
#include "print/CPrintJob.h"
#include "print/QtPageSurface.h"
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {
// Grey around the sheet, as on a desk.
constexpr int kMargin = 12;
// Counted before the dialog shows: the first page and the one Next Page goes to.
constexpr int kFirstPages = 2;
// Counting the rest goes in steps of a few pages, for about this long between events.
constexpr int kStepPages = 4;
constexpr qint64 kStepMs = 15;
} // namespace

// The sheet in the scroll area: asks the dialog for the page when it paints, so only a
// page that is on screen is ever drawn.
class CPrintPreviewDialog::SheetView final : public QWidget {
public:
    explicit SheetView(CPrintPreviewDialog& dialog) : m_dialog(dialog) {
        setObjectName(QStringLiteral("previewSheet"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        const QImage& sheet = m_dialog.Sheet();
        const QSizeF size = sheet.deviceIndependentSize();
        const QRectF paper(QPointF((width() - size.width()) / 2, kMargin), size);
        painter.fillRect(paper.translated(3, 3), QColor(0, 0, 0, 90)); // shadow
        painter.drawImage(paper.topLeft(), sheet);
        painter.setPen(palette().color(QPalette::Shadow));
        painter.drawRect(paper.adjusted(-0.5, -0.5, 0.5, 0.5));
    }

private:
    CPrintPreviewDialog& m_dialog;
};

CPrintPreviewDialog::CPrintPreviewDialog(CPrintJob& job, QPrinter& printer, QWidget* parent)
    : QDialog(parent), m_job(job), m_printer(printer),
      m_surface(std::make_unique<QtPageSurface>(printer, nullptr)) {
    setObjectName(QStringLiteral("printPreview"));
    setWindowTitle(QStringLiteral("Print Preview"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    // Laid out on the printer as a print is: the same fonts, the same line breaks, the
    // same pages. The first pages at once, the rest while the first are shown.
    job.BeginCounting(*m_surface);
    job.CountOn(*m_surface, kFirstPages);
    m_countTimer = new QTimer(this);
    connect(m_countTimer, &QTimer::timeout, this, &CPrintPreviewDialog::CountOn);
    if (!job.Counted())
        m_countTimer->start(0);

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    QPushButton* print = button("previewPrint", QStringLiteral("&Print..."));
    m_prev = button("previewPrev", QStringLiteral("Pre&v Page"));
    m_next = button("previewNext", QStringLiteral("&Next Page"));
    m_fitWidth = button("previewFitWidth", QStringLiteral("Fit &Width"));
    m_fitPage = button("previewFitPage", QStringLiteral("Fit P&age"));
    m_fitWidth->setCheckable(true);
    m_fitPage->setCheckable(true);
    QPushButton* close = button("previewClose", QStringLiteral("&Close"));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("previewPageNumber"));
    // The buttons stay where they are as the count grows.
    m_pageLabel->setMinimumWidth(m_pageLabel->fontMetrics().horizontalAdvance(
        QStringLiteral("Page 00000 of 00000 so far, laying out the rest")));

    auto* bar = new QHBoxLayout;
    bar->addWidget(print);
    bar->addSpacing(12);
    bar->addWidget(m_prev);
    bar->addWidget(m_next);
    bar->addWidget(m_pageLabel);
    bar->addSpacing(12);
    bar->addWidget(m_fitWidth);
    bar->addWidget(m_fitPage);
    bar->addStretch();
    bar->addWidget(close);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("previewArea"));
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view = new SheetView(*this);
    m_scroll->setWidget(m_view);
    m_scroll->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    connect(print, &QPushButton::clicked, this, [this] {
        if (BookUnchanged())
            done(Print);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_prev, &QPushButton::clicked, this, [this] { ShowPage(m_nPage - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { ShowPage(m_nPage + 1); });
    connect(m_fitWidth, &QPushButton::clicked, this, [this] { SetZoom(Zoom::FitWidth); });
    connect(m_fitPage, &QPushButton::clicked, this, [this] { SetZoom(Zoom::FitPage); });

    // A tall window for a tall sheet, within the screen.
    const QRect screen =
        (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const int height = std::min(1000, screen.height() * 9 / 10);
    resize(std::min(screen.width() * 9 / 10, height * 5 / 6), height);
    SetZoom(Zoom::FitPage);
}

CPrintPreviewDialog::~CPrintPreviewDialog() = default;

int CPrintPreviewDialog::PageCount() const {
    return m_job.Counted() ? std::max(1, m_job.GetPageCount()) : m_job.PagesKnown();
}

bool CPrintPreviewDialog::Counted() const {
    return m_job.Counted();
}

bool CPrintPreviewDialog::BookUnchanged() {
    if (!m_bBookChanged && m_bookChanged && m_bookChanged()) {
        m_bBookChanged = true;
        m_countTimer->stop();
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
    }
    return !m_bBookChanged;
}

void CPrintPreviewDialog::CountOn() {
    if (!BookUnchanged())
        return;
    QElapsedTimer step;
    step.start();
    while (!m_job.CountOn(*m_surface, kStepPages)) {
        if (step.elapsed() >= kStepMs) {
            UpdateControls();
            return;
        }
    }
    m_countTimer->stop();
    UpdateControls();
}

void CPrintPreviewDialog::ShowPage(int page) {
    page = std::clamp(page, 1, PageCount());
    if (page != m_nPage) {
        m_nPage = page;
        m_scroll->verticalScrollBar()->setValue(0);
        m_view->update();
    }
    UpdateControls();
}

void CPrintPreviewDialog::SetZoom(Zoom zoom) {
    m_zoom = zoom;
    // Fit width always leaves room for the scroll bar it needs, so the width never
    // depends on whether the bar shows.
    m_scroll->setVerticalScrollBarPolicy(zoom == Zoom::FitWidth ? Qt::ScrollBarAlwaysOn
                                                                : Qt::ScrollBarAlwaysOff);
    Relayout();
    UpdateControls();
}

void CPrintPreviewDialog::UpdateControls() {
    m_pageLabel->setText(Counted() ? QStringLiteral("Page %1 of %2").arg(m_nPage).arg(PageCount())
                                   : QStringLiteral("Page %1 of %2 so far, laying out the rest")
                                         .arg(m_nPage)
                                         .arg(PageCount()));
    m_prev->setEnabled(m_nPage > 1);
    m_next->setEnabled(m_nPage < PageCount());
    m_fitWidth->setChecked(m_zoom == Zoom::FitWidth);
    m_fitPage->setChecked(m_zoom == Zoom::FitPage);
}

double CPrintPreviewDialog::Scale() const {
    const QRectF paper = m_printer.paperRect(QPrinter::DevicePixel);
    if (paper.width() <= 0 || paper.height() <= 0)
        return 0;
    // Less a scroll bar that is always on (fit width).
    const QSize area = m_scroll->maximumViewportSize();
    const double w = area.width() - 2 * kMargin;
    const double h = area.height() - 2 * kMargin;
    const double fitWidth = w / paper.width();
    const double scale =
        m_zoom == Zoom::FitWidth ? fitWidth : std::min(fitWidth, h / paper.height());
    return std::max(scale, 16.0 / paper.width()); // never less than a thumbnail
}

void CPrintPreviewDialog::Relayout() {
    const QRectF paper = m_printer.paperRect(QPrinter::DevicePixel);
    const double scale = Scale();
    const QSize sheet(int(std::lround(paper.width() * scale)),
                      int(std::lround(paper.height() * scale)));
    const QSize area = m_scroll->maximumViewportSize();
    m_view->resize(
        std::max(area.width(), sheet.width() + 2 * kMargin),
        std::max(m_zoom == Zoom::FitPage ? area.height() : 0, sheet.height() + 2 * kMargin));
    m_view->update();
}

const QImage& CPrintPreviewDialog::Sheet() {
    const double scale = Scale();
    if ((m_nSheetPage == m_nPage && m_dSheetScale == scale) || !BookUnchanged())
        return m_sheet;
    const QRectF paper = m_printer.paperRect(QPrinter::DevicePixel);
    const QRectF page = m_printer.pageRect(QPrinter::DevicePixel);
    const qreal ratio = devicePixelRatioF();
    QImage image(int(std::lround(paper.width() * scale * ratio)),
                 int(std::lround(paper.height() * scale * ratio)), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        // Printer pixels from the corner of the printable area, as the print draws them.
        painter.scale(scale, scale);
        painter.translate(page.topLeft() - paper.topLeft());
        m_surface->SetPainter(&painter);
        m_job.PrintPage(*m_surface, m_nPage);
        m_surface->SetPainter(nullptr);
    }
    m_sheet = std::move(image);
    m_nSheetPage = m_nPage;
    m_dSheetScale = scale;
    ++m_nPagesDrawn;
    emit pageDrawn(m_nPage);
    return m_sheet;
}

void CPrintPreviewDialog::keyPressEvent(QKeyEvent* event) {
    // Page Down and Up read on through a sheet taller than the view, then turn the page.
    QScrollBar* bar = m_scroll->verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_PageDown:
        if (bar->value() < bar->maximum())
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        else
            ShowPage(m_nPage + 1);
        return;
    case Qt::Key_PageUp:
        if (bar->value() > 0) {
            bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        } else if (m_nPage > 1) {
            ShowPage(m_nPage - 1);
            bar->setValue(bar->maximum()); // the end of the page before
        }
        return;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier) {
            ShowPage(1);
            return;
        }
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier) {
            ShowPage(PageCount());
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

bool CPrintPreviewDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_scroll && event->type() == QEvent::Resize)
        Relayout();
    return QDialog::eventFilter(watched, event);
}
