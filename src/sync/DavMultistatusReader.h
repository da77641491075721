#pragma once
#include "DavXml.h"
#include <QXmlStreamReader>

// Reads a multistatus answer piece by piece as it arrives, so an answer is never held
// whole beside what is read from it. Feed each piece, then Finish at the end of the answer.
class DavMultistatusReader {
public:
    void Feed(const QByteArray& bytes);
    // Whether the answer already cannot be a multistatus document.
    bool Failed() const { return !m_error.isEmpty(); }
    // The answer read; false (error set) when it is no multistatus or was cut off.
    bool Finish(DavMultistatus& out, QString& error);

private:
    void Start();
    void End();
    // Whether the reader stands on the element at these names below a <response> (or
    // below them, when not exact).
    bool At(std::initializer_list<const char*> names, bool exact = true) const;
    void MergePropstat();

    QXmlStreamReader m_reader;
    QStringList m_path; // local names from the root down to the current element
    QString m_text;     // the current element's text so far
    DavMultistatus m_out;
    DavResponse m_response;
    DavResponse m_propstat; // a propstat's properties count only when its status is 2xx
    int m_propstatStatus = 0;
    QString m_error;
    bool m_sawRoot = false;
};
