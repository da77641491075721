#include "print/PdfExport.h"
#include "port/IMessageBox.h"
#include "print/CPrintJob.h"
#include "print/PrintRunner.h"
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace {

// Nobody answers on this path: there is no pause.
class NoMessages final : public IMessageBox {
public:
    using IMessageBox::Show;
    MbResult Show(const std::string&, const std::string&, MbIcon, MbButtons) override {
        return MbResult::Ok;
    }
};

} // namespace

void SetUpPdfWriter(QPdfWriter& writer) {
    writer.setResolution(1200);
    writer.setCreator(QStringLiteral("Kinbook"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                     QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
}

int PrintJobToPdf(CPrintJob& job, const QString& path) {
    QPdfWriter writer(path);
    SetUpPdfWriter(writer);
    NoMessages box;
    const int printed = PrintRunner::Run(job, writer, box, false, true);
    return printed < 0 ? -1 : job.GetPageCount();
}
