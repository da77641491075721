#pragma once
#include "CCardDavClient.h"
#include <QEventLoop>

// Runs the client's asynchronous calls to completion for the command line and the tests:
// each call spins a local event loop until its callback has run.
class CDavBlocking {
public:
    explicit CDavBlocking(CCardDavClient& client) : m_client(client) {}

    DavError Discover(QList<DavAddressBook>& books) {
        return Run<QList<DavAddressBook>>(
            [&](auto cb) { m_client.Discover(cb); }, books);
    }
    DavError ListCards(const QUrl& book, DavListing& out) {
        return Run<DavListing>([&](auto cb) { m_client.ListCards(book, cb); }, out);
    }
    DavError SyncCollection(const QUrl& book, const QString& token, DavDelta& out) {
        return Run<DavDelta>([&](auto cb) { m_client.SyncCollection(book, token, cb); }, out);
    }
    DavError Multiget(const QUrl& book, const QStringList& hrefs, QList<DavCard>& out) {
        return Run<QList<DavCard>>([&](auto cb) { m_client.Multiget(book, hrefs, cb); }, out);
    }
    DavError QueryAll(const QUrl& book, QList<DavCard>& out) {
        return Run<QList<DavCard>>([&](auto cb) { m_client.QueryAll(book, cb); }, out);
    }
    DavError Get(const QString& href, DavCard& out) {
        return Run<DavCard>([&](auto cb) { m_client.Get(href, cb); }, out);
    }
    DavError Put(const QString& href, const QByteArray& vcard, const QString& ifMatch, QString& etag) {
        return Run<QString>([&](auto cb) { m_client.Put(href, vcard, ifMatch, cb); }, etag);
    }
    DavError Delete(const QString& href, const QString& ifMatch) {
        DavError result;
        QEventLoop loop;
        bool finished = false;
        m_client.Delete(href, ifMatch, [&](DavError e) {
            result = e;
            finished = true;
            loop.quit();
        });
        if (!finished)
            loop.exec();
        return result;
    }

private:
    template <class T, class Start> DavError Run(Start start, T& out) {
        DavError result;
        QEventLoop loop;
        bool finished = false;
        start([&](DavError e, T value) {
            result = e;
            out = std::move(value);
            finished = true;
            loop.quit();
        });
        if (!finished)
            loop.exec();
        return result;
    }

    CCardDavClient& m_client;
};
