#include "DavMultistatusReader.h"

namespace {
const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
} // namespace

void DavMultistatusReader::Feed(const QByteArray& bytes) {
    if (Failed())
        return;
    m_reader.addData(bytes);
    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement:
            Start();
            break;
        case QXmlStreamReader::Characters:
            m_text += m_reader.text();
            break;
        case QXmlStreamReader::EndElement:
            End();
            break;
        default:
            break;
        }
        if (Failed())
            return;
    }
    if (m_reader.hasError() && m_reader.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        m_error = m_reader.errorString();
}

bool DavMultistatusReader::Finish(DavMultistatus& out, QString& error) {
    if (!Failed() && !m_sawRoot)
        m_error = QStringLiteral("empty answer");
    else if (!Failed() && !m_path.isEmpty())
        m_error = m_reader.hasError() ? m_reader.errorString() : QStringLiteral("cut off");
    out = Failed() ? DavMultistatus() : std::move(m_out);
    error = m_error;
    return !Failed();
}

bool DavMultistatusReader::At(std::initializer_list<const char*> names, bool exact) const {
    const qsizetype depth = static_cast<qsizetype>(names.size()) + 2;
    if (m_path.size() < depth || (exact && m_path.size() != depth) ||
        m_path[1] != QLatin1String("response"))
        return false;
    qsizetype i = 2;
    for (const char* name : names)
        if (m_path[i++] != QLatin1String(name))
            return false;
    return true;
}

void DavMultistatusReader::Start() {
    const QString name = m_reader.name().toString();
    const QStringView ns = m_reader.namespaceUri();
    if (!m_sawRoot) {
        if (name != QLatin1String("multistatus") || ns != kDav) {
            m_error = QStringLiteral("not a multistatus answer");
            return;
        }
        m_sawRoot = true;
    }
    m_path.append(name);
    m_text.clear();
    if (At({}) && ns == kDav) {
        m_response = DavResponse();
    } else if (At({"propstat"})) {
        m_propstat = DavResponse();
        m_propstatStatus = 0;
    } else if (At({"propstat", "prop", "resourcetype", "collection"}) && ns == kDav) {
        m_propstat.isCollection = true;
    } else if (At({"propstat", "prop", "resourcetype", "addressbook"}) && ns == kCardDav) {
        m_propstat.isAddressBook = true;
    } else if (At({"propstat", "prop", "supported-report-set", "supported-report"}, false)) {
        // <supported-report><report><X/></report></supported-report>, or <X/> straight
        // inside as some servers write it.
        if ((m_path.size() == 7 && name != QLatin1String("report")) ||
            (m_path.size() == 8 && m_path[6] == QLatin1String("report")))
            m_propstat.supportedReports.append(name);
    }
}

void DavMultistatusReader::End() {
    const bool dav = m_reader.namespaceUri() == kDav;
    const QString text = m_text.trimmed();
    if (m_path.size() == 2 && m_path[1] == QLatin1String("response") && dav)
        m_out.responses.append(std::move(m_response));
    else if (m_path.size() == 2 && m_path[1] == QLatin1String("sync-token") && dav)
        m_out.syncToken = text;
    else if (At({"href"}) && dav && m_response.href.isEmpty())
        m_response.href = text;
    else if (At({"status"}))
        m_response.status = DavXml::ParseStatusLine(text);
    else if (At({"propstat", "status"}))
        m_propstatStatus = DavXml::ParseStatusLine(text);
    else if (At({"propstat"}))
        MergePropstat();
    else if (At({"propstat", "prop", "getetag"})) {
        m_propstat.hasEtag = true;
        m_propstat.etag = text;
    } else if (At({"propstat", "prop", "address-data"}) && m_reader.namespaceUri() == kCardDav) {
        m_propstat.hasAddressData = true;
        m_propstat.addressData = m_text;
    } else if (At({"propstat", "prop", "displayname"}))
        m_propstat.displayName = text;
    else if (At({"propstat", "prop", "sync-token"}))
        m_propstat.syncToken = text;
    else if (At({"propstat", "prop", "getctag"}))
        m_propstat.ctag = text;
    else if (At({"propstat", "prop", "current-user-principal", "href"}))
        m_propstat.principalHref = text;
    else if (At({"propstat", "prop", "addressbook-home-set", "href"}))
        m_propstat.homeSetHrefs.append(text);
    m_text.clear();
    m_path.removeLast();
}

void DavMultistatusReader::MergePropstat() {
    if (m_propstatStatus != 0 && (m_propstatStatus < 200 || m_propstatStatus >= 300))
        return;
    DavResponse& r = m_response;
    const DavResponse& p = m_propstat;
    if (p.hasEtag) {
        r.hasEtag = true;
        r.etag = p.etag;
    }
    if (p.hasAddressData) {
        r.hasAddressData = true;
        r.addressData = p.addressData;
    }
    if (!p.displayName.isEmpty())
        r.displayName = p.displayName;
    r.isCollection = r.isCollection || p.isCollection;
    r.isAddressBook = r.isAddressBook || p.isAddressBook;
    if (!p.principalHref.isEmpty())
        r.principalHref = p.principalHref;
    r.homeSetHrefs += p.homeSetHrefs;
    if (!p.syncToken.isEmpty())
        r.syncToken = p.syncToken;
    if (!p.ctag.isEmpty())
        r.ctag = p.ctag;
    r.supportedReports += p.supportedReports;
}
