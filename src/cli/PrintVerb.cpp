#if defined(KINBOOK_WITH_GUI)
#include "CliBook.h"
#include "CliVerb.h"
#include "port/IClock.h"
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

    CliSyntax Syntax() const override {
        return {{{"FILE"}, {"OUT.pdf"}},
                {{"--record", 1},
                 {"--nth", 1},
                 {"--category", 1},
                 {"--size", 1},
                 {"--border"},
                 {"--top", 1},
                 {"--left", 1},
                 {"--font", 1},
                 {"--points", 1},
                 {"--content", 1},
                 {"--new-page-per-letter"},
                 {"--notes"}}};
    }

    int Run(const CliArgs& a) override {
        CPrintSettings settings;
        if (!Settings(a, settings))
            return kExitUsage;
        if (a.Has("--nth") && !a.Has("--record"))
            return UsageError("--nth chooses among the records of --record NAME");
        CliBook book;
        if (!book.LoadToRead(a.positional[0]))
            return kExitFile;

        const CContactRecord* chosen = nullptr;
        if (const auto record = a.Value("--record")) {
            const NamedRecord named =
                ResolveNamedRecord(*this, book.Records(), *record, a.Value("--nth"));
            if (named.error)
                return named.error;
            chosen = named.record;
            if (!chosen)
                return UsageError("no record named '" + *record + "'");
        } else if (!book.Filter(*this, settings.m_strBookCategory)) {
            return kExitUsage;
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
        CPrintJob job(chosen ? PrintMode::Record : PrintMode::Book, settings, book.Records(),
                      book.Categories(), chosen, clock);
        const int pages = PrintJobToPdf(job, QString::fromStdString(a.positional[1]));
        if (pages < 0) {
            std::cerr << "kinbook-cli print: cannot write " << a.positional[1] << "\n";
            return kExitFile;
        }
        std::cout << pages << "\n";
        return FlushedStdout();
    }

private:
    static void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::cerr << message.toStdString() << "\n";
    }
    // The print settings of a first run, changed by the options as the option dialogs
    // would change them; false after a usage error.
    bool Settings(const CliArgs& a, CPrintSettings& settings) const {
        settings.m_bPause = false; // nobody is there to answer
        settings.m_strBookCategory = a.Value("--category").value_or(std::string(kFilterAll));
        settings.m_bBorder = a.Has("--border");
        settings.m_bAlphaPageBreak = a.Has("--new-page-per-letter");
        settings.m_bContactNotes = a.Has("--notes");
        if (const auto size = a.Value("--size")) {
            const std::string_view listed =
                size->empty() ? std::string_view() : CPaperSize::FindListed(*size);
            if (listed.empty())
                return Refuse("unknown size '" + *size +
                              "' (Regular, Monarch, Classic, Compact or Pocket)");
            settings.m_strSelectedSize = std::string(listed);
        }
        if (const auto face = a.Value("--font")) {
            if (face->empty())
                return Refuse("--font needs a face name");
            settings.m_font.m_strFaceName = *face;
        }
        int points = 0;
        if (const auto text = a.Value("--points")) {
            if (!ParseInt(*text, points) || points < 1 || points > 144)
                return Refuse("--points takes a whole number from 1 to 144");
            settings.m_font.m_nHeight = -points;
        } else {
            // Without --points the size's own default font size, as the dialogs give it.
            settings.m_font.m_nHeight =
                CPaperSize::DefaultFont(settings.m_strSelectedSize).m_nHeight;
        }
        int bits = 0;
        if (const auto text = a.Value("--content")) {
            if (!ParseInt(*text, bits) || bits < 0 || bits > 63)
                return Refuse("--content takes a number from 0 to 63 (1 Title, 2 Other Reference, "
                              "4 Phone Numbers and Email, 8 Address, 16 Other Info, 32 Notes)");
            settings.m_nPrintData = bits;
        }

        // Opening the options turns the border off where the size has none.
        const bool borderAsked = settings.m_bBorder;
        // Margins: as the dialogs check them; unset ones take the size's defaults.
        CPrintOptions options(settings);
        options.Open();
        settings = options.Settings();
        if (const auto top = a.Value("--top");
            top && !Margin("--top", *top, CPrintOptions::kMaxTopMargin, settings.m_dTopMargin))
            return false;
        if (const auto left = a.Value("--left");
            left && !Margin("--left", *left, CPrintOptions::kMaxLeftMargin, settings.m_dLeftMargin))
            return false;
        if (CPaperSize::IsRegularOrMonarch(settings.m_strSelectedSize)) {
            if (borderAsked)
                std::cerr << "kinbook-cli print: the border is not offered on this size; "
                             "printing without it\n";
            settings.m_bBorder = false;
        }
        return true;
    }
    bool Refuse(const std::string& why) const {
        UsageError(why);
        return false;
    }
    static bool ParseInt(const std::string& text, int& value) {
        const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
        return r.ec == std::errc() && r.ptr == text.data() + text.size();
    }
    bool Margin(const char* option, const std::string& text, double max, double& out) const {
        double value = 0;
        if (!CPrintOptions::ParseNumber(text, value) || value < 0 || value > max)
            return Refuse(std::string(option) + " takes inches from 0 to " +
                          CPrintOptions::FormatNumber(max));
        out = value;
        return true;
    }
};

CliVerbRegistrar<PrintVerb> registrar;

} // namespace
#endif
