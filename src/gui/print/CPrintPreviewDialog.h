#pragma once
#include <QDialog>
#include <QImage>
#include <functional>
#include <memory>

class CPrintJob;
class QtPageSurface;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;
class QTimer;

// The preview of a print job on the printer's paper, one page at a time: laid out and
// drawn by the job's own code at the printer's metrics, scaled to the view. It opens once
// the first pages are laid out and counts the rest between events, the page count
// growing as it goes; a page is drawn only when it is shown. So a long book opens as
// fast as a short one and never holds the window. It ends with Close, or with Print to
// print the same job.
class CPrintPreviewDialog : public QDialog {
    Q_OBJECT
public:
    enum Result { Closed = QDialog::Rejected, Print = 2 };
    enum class Zoom { FitWidth, FitPage };

    // Lays the job out on printer, which must stay as it is while the dialog lives.
    CPrintPreviewDialog(CPrintJob& job, QPrinter& printer, QWidget* parent = nullptr);
    ~CPrintPreviewDialog() override;

    // Tells whether the book the job lays out has changed since the job began (a timed
    // sync may change it while the preview is open): the preview then closes rather than
    // lay out or draw records that may be gone.
    void SetBookChangedTest(std::function<bool()> changed) { m_bookChanged = std::move(changed); }

    int CurrentPage() const { return m_nPage; }
    // The pages so far while the rest are laid out, then all of them.
    int PageCount() const;
    bool Counted() const;
    void ShowPage(int page);
    Zoom GetZoom() const { return m_zoom; }
    void SetZoom(Zoom zoom);
    // The sheet as last drawn (the paper at the view's scale) and how many times a page
    // has been drawn since the dialog opened.
    const QImage& SheetImage() const { return m_sheet; }
    int PagesDrawn() const { return m_nPagesDrawn; }

signals:
    // A page has been drawn for the view.
    void pageDrawn(int page);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class SheetView;
    friend class SheetView;

    // Image pixels per printer pixel for the zoom in the view's size.
    double Scale() const;
    // Lays out a few more pages; stops the counting once all are.
    void CountOn();
    // False, and the dialog on its way to close, once the book has changed.
    bool BookUnchanged();
    void Relayout();
    void UpdateControls();
    // Draws the current page at the view's scale unless it is drawn already.
    const QImage& Sheet();

    CPrintJob& m_job;
    QPrinter& m_printer;
    std::unique_ptr<QtPageSurface> m_surface;
    QTimer* m_countTimer = nullptr;
    std::function<bool()> m_bookChanged;
    bool m_bBookChanged = false;
    int m_nPage = 1;
    Zoom m_zoom = Zoom::FitPage;
    QImage m_sheet;
    int m_nSheetPage = 0;
    double m_dSheetScale = 0;
    int m_nPagesDrawn = 0;

    QScrollArea* m_scroll = nullptr;
    SheetView* m_view = nullptr;
    QLabel* m_pageLabel = nullptr;
    QPushButton* m_prev = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_fitWidth = nullptr;
    QPushButton* m_fitPage = nullptr;
};
