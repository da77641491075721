#pragma once
#include <QByteArray>
#include <QStringList>
#include <QString>
#include <ostream>
#include <string>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class DavServer;

// Plain HTTP against a test server, as another device would change it: no Kinbook code
// in between. Every call waits (bounded) for its answer.
class RawDav {
public:
    explicit RawDav(const DavServer& server);

    struct Answer {
        int status = 0;
        QByteArray body;
        QByteArray etag;
    };
    Answer Send(const QByteArray& verb, const QString& path, const QByteArray& body = {},
                const QByteArray& contentType = {}, const QByteArray& depth = {});
    // Creates a new, empty address book under the user's home; its path.
    QString MakeAddressBook(const QString& name);
    Answer Put(const QString& path, const QByteArray& vcard) {
        return Send("PUT", path, vcard, "text/vcard; charset=utf-8");
    }
    Answer Get(const QString& path) { return Send("GET", path); }
    Answer Delete(const QString& path) { return Send("DELETE", path); }
    // The hrefs of the cards in an address book.
    QStringList List(const QString& book);

private:
    const DavServer& m_server;
};

// The servers every test program shares: started at the first use, stopped at exit.
DavServer& SharedServer(int kind);

// A unique name for a test's own address book.
QString UniqueBookName(const char* prefix);
