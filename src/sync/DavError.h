#pragma once
#include <QString>

// What went wrong talking to an address book server. Every kind has one message that
// the window and the command line show as it is.
struct DavError {
    enum Kind {
        None,
        Unreachable,        // no connection could be made
        Unauthorized,       // 401: wrong user name or password
        TlsRefused,         // the certificate is not trusted; never ignored
        NotCardDav,         // the address answers, but not as an address book server
        InsufficientStorage, // 507
        Truncated,          // the answer was cut off or could not be read to its end
        ConnectionLost,     // the network went away after the sync had started
        PreconditionFailed, // 412: the card changed on the server meanwhile
        NotFound,           // 404 on a card or collection
        Http,               // any other unexpected status
        Timeout,            // no answer within the time allowed
        Cancelled,          // the user stopped the sync
        OtherServer,        // a request would have gone to another server than the account's
        OutsideBook,        // a card named outside the address book was to be read or changed
        TooLarge,           // the answer passed the size allowed for its kind
        TooSlow,            // the answer did not end within the overall time allowed
        NotSaved,           // the book could not be saved on this computer (detail: why)
        MassRemoval,        // the sync would remove many contacts (detail: what and how many)
    };

    Kind kind = None;
    int httpStatus = 0;
    QString detail; // the server, the status line or Qt's own words, for the message
    QString fingerprint; // TlsRefused: the refused certificate's SHA-256, "AB:CD:..."

    explicit operator bool() const { return kind != None; }
    // The sentence shown to the user.
    QString Message() const;

    static DavError Make(Kind kind, QString detail = {}, int status = 0) {
        DavError e;
        e.kind = kind;
        e.detail = std::move(detail);
        e.httpStatus = status;
        return e;
    }
};
