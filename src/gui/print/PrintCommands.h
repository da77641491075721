#pragma once
#include "print/CPrintJob.h"
#include <QObject>
#include <functional>
#include <memory>

class IKinbookView;
class CommandTable;
class QDialog;
class QPrinter;
class CContactRecord;

// Print Contact's Record, Print Contact Book and Printer Setup: the option dialogs on
// a copy of the view's print settings, then printing or the preview. The printer (and
// the set-up chosen for it) lives as long as the commands, so later jobs use it.
class PrintCommands : public QObject {
    Q_OBJECT
public:
    PrintCommands(IKinbookView& view, CommandTable& table);
    ~PrintCommands() override;

    void OnPrintRecord();
    void OnPrintBook();
    void OnPrintSetup();

    QPrinter& Printer() { return *m_pPrinter; }

    // Seams for tests: how a dialog is run (exec) and how a job is started.
    std::function<int(QDialog&)> m_runDialog;
    std::function<void(PrintMode mode, const CContactRecord* record, bool preview)> m_startJob;

private:
    // True while the platform's print dialog of a job is open.
    static bool PrintDialogOpen();
    void StartJob(PrintMode mode, const CContactRecord* record, bool preview);
    // The print dialog for a job of count pages, then the pages it asks for.
    void PrintCounted(CPrintJob& job, int count);
    void ReopenAfterPreview(std::function<void()> reopen);
    // The paper the chosen paper size is laid out on.
    void UseSheetPaper();

    IKinbookView& m_view;
    std::unique_ptr<QPrinter> m_pPrinter;
};
