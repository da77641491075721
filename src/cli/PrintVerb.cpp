#if defined(KINBOOK_WITH_GUI)
#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "model/CKinbookDoc.h"
#include "model/NoCase.h"
#include "port/IClock.h"
#include "port/IFileSystem.h"
#include "print/CPaperSize.h"
#include "print/CPrintJob.h"
#include "print/CPrintOptions.h"
#include "print/PdfExport.h"
#include "view/DisplayName.h"
#include <QGuiApplication>
#include <QString>
#include <charconv>
#include <iostream>
#include <memory>

namespace {

class PrintVerb final : public CliVerb {
public:
    const char* Name() const override { return "print"; }
    const char* Usage() const override {
        return "print FILE OUT.pdf [--record NAME [--nth N]] [--category NAME] [--size NAME] "
               "[--border] "
               "[--top INCHES] [--left INCHES] [--font FACE] [--points N] [--content BITS] "
               "[--new-page-per-letter] [--notes]";
    }
    const char* Summary() const override {
        return "lay out the book (or one record) as printing does and write it to a PDF on "
               "Letter paper; prints the page count";
    }

    int Run(const std::vector<std::string>& args) override {
        // The stored values of a first run.
        CPrintSettings settings;
        settings.m_bPause = false; // nobody is there to answer
        settings.m_strBookCategory = "All";
        std::string record;
        bool haveRecord = false;
        CliArgs nth; // --nth, for a record name that several records share
        std::string top, left;
        std::vector<std::string> positional;
        bool pointsGiven = false;

        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            const bool hasValue = i + 1 < args.size();
            if (a == "--border") {
                settings.m_bBorder = true;
            } else if (a == "--new-page-per-letter") {
                settings.m_bAlphaPageBreak = true;
            } else if (a == "--notes") {
                settings.m_bContactNotes = true;
            } else if (a == "--record" && hasValue) {
                record = args[++i];
                haveRecord = true;
            } else if (a == "--nth" && hasValue) {
                nth.values[a] = args[++i];
            } else if (a == "--category" && hasValue) {
                settings.m_strBookCategory = args[++i];
            } else if (a == "--size" && hasValue) {
                const std::string& name = args[++i];
                const std::string_view listed =
                    name.empty() ? std::string_view() : CPaperSize::FindListed(name);
                if (listed.empty())
                    return UsageError("unknown size '" + name +
                                      "' (Regular, Monarch, Classic, Compact or Pocket)");
                settings.m_strSelectedSize = std::string(listed);
            } else if (a == "--top" && hasValue) {
                top = args[++i];
            } else if (a == "--left" && hasValue) {
                left = args[++i];
            } else if (a == "--font" && hasValue) {
                settings.m_font.m_strFaceName = args[++i];
                if (settings.m_font.m_strFaceName.empty())
                    return UsageError("--font needs a face name");
            } else if (a == "--points" && hasValue) {
                pointsGiven = true;
                int points = 0;
                if (!ParseInt(args[++i], points) || points < 1 || points > 144)
                    return UsageError("--points takes a whole number from 1 to 144");
                settings.m_font.m_nHeight = -points;
            } else if (a == "--content" && hasValue) {
                int bits = 0;
                if (!ParseInt(args[++i], bits) || bits < 0 || bits > 63)
                    return UsageError("--content takes a number from 0 to 63 (1 Title, 2 Other "
                                      "Reference, 4 Phone Numbers and Email, 8 Address, 16 "
                                      "Other Info, 32 Notes)");
                settings.m_nPrintData = bits;
            } else if (a.rfind("--", 0) == 0) {
                return UsageError("unknown or incomplete option '" + a + "'");
            } else {
                positional.push_back(a);
            }
        }
        if (positional.size() != 2)
            return UsageError("expected FILE and OUT.pdf");
        if (!nth.values.empty() && !haveRecord)
            return UsageError("--nth chooses among the records of --record NAME");

        // Without --points the size's own default font size, as the dialogs give it.
        if (!pointsGiven)
            settings.m_font.m_nHeight =
                CPaperSize::DefaultFont(settings.m_strSelectedSize).m_nHeight;
        // Opening the options turns the border off where the size has none.
        const bool borderAsked = settings.m_bBorder;
        // Margins: as the dialogs check them; unset ones take the size's defaults.
        CPrintOptions options(settings);
        options.Open();
        settings = options.Settings();
        if (!top.empty() &&
            !Margin("--top", top, CPrintOptions::kMaxTopMargin, settings.m_dTopMargin))
            return kExitUsage;
        if (!left.empty() &&
            !Margin("--left", left, CPrintOptions::kMaxLeftMargin, settings.m_dLeftMargin))
            return kExitUsage;
        if (borderAsked && CPaperSize::IsRegularOrMonarch(settings.m_strSelectedSize))
            std::cerr << "kinbook-cli print: the border is not offered on this size; "
                         "printing without it\n";
        if (CPaperSize::IsRegularOrMonarch(settings.m_strSelectedSize))
            settings.m_bBorder = false;

        StderrMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        if (!doc.Load(positional[0]))
            return kExitFile;

        const CContactRecord* chosen = nullptr;
        if (haveRecord) {
            const NamedRecord named = ResolveNamedRecord(*this, doc.GetRecords(), record, nth);
            if (named.error)
                return named.error;
            chosen = named.record;
            if (!chosen)
                return UsageError("no record named '" + record + "'");
        } else if (!kb::EqualsNoCase(settings.m_strBookCategory, "All")) {
            bool known = false;
            const auto& categories = doc.GetCategories();
            for (std::size_t i = 0; i < categories.GetCount(); ++i)
                known = known || kb::EqualsNoCaseDecoded(categories.At(i).m_strName,
                                                         settings.m_strBookCategory);
            if (!known)
                return UsageError("no category named '" + settings.m_strBookCategory + "'");
        }

        // Fonts and the PDF writer need a Qt application, but never a display; the
        // platform's notes about its environment are not the verb's output.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(QuietQt);
        static int argc = 1;
        static char name[] = "kinbook-cli";
        static char* argv[] = {name, nullptr};
        std::unique_ptr<QGuiApplication> app;
        if (!QGuiApplication::instance())
            app = std::make_unique<QGuiApplication>(argc, argv);

        SystemClock clock;
        CPrintJob job(chosen ? PrintMode::Record : PrintMode::Book, settings, doc.GetRecords(),
                      doc.GetCategories(), chosen, clock);
        const int pages = PrintJobToPdf(job, QString::fromStdString(positional[1]));
        if (pages < 0) {
            std::cerr << "kinbook-cli print: cannot write " << positional[1] << "\n";
            return kExitFile;
        }
        std::cout << pages << "\n";
        return kExitOk;
    }

private:
    static void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::cerr << message.toStdString() << "\n";
    }
    static int UsageError(const std::string& why) {
        std::cerr << "kinbook-cli print: " << why << "\n";
        return kExitUsage;
    }
    static bool ParseInt(const std::string& text, int& value) {
        const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
        return r.ec == std::errc() && r.ptr == text.data() + text.size();
    }
    static bool Margin(const char* option, const std::string& text, double max, double& out) {
        double value = 0;
        if (!CPrintOptions::ParseNumber(text, value) || value < 0 || value > max) {
            std::cerr << "kinbook-cli print: " << option << " takes inches from 0 to "
                      << CPrintOptions::FormatNumber(max) << "\n";
            return false;
        }
        out = value;
        return true;
    }
};

CliVerbRegistrar<PrintVerb> registrar;

} // namespace
#endif
